#include "model/releasehook.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace veltra {

namespace {
struct TEntry {
    int token;
    TReleaseListener listener;
};

std::vector<TEntry>& Listeners() {
    static std::vector<TEntry> listeners;
    return listeners;
}
} // namespace

int AddReleaseListener(TReleaseListener listener) {
    static int next = 0;
    Listeners().push_back({++next, std::move(listener)});
    return next;
}

void RemoveReleaseListener(int token) {
    auto& listeners = Listeners();
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(),
                                   [token](const TEntry& e) { return e.token == token; }),
                    listeners.end());
}

void NotifyReleased(const void* object) {
    for (const TEntry& e : Listeners())
        e.listener(object);
}

} // namespace veltra
