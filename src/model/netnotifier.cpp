#include "model/netnotifier.h"

#include "model/protolista.h"

#include <algorithm>

namespace veltra {

TNetObserver::~TNetObserver() {
    StopObservingAll();
}

void TNetObserver::Observe(const TProtoLista& list) {
    TNetNotifier& notifier = list.Notifier();
    if (std::find(notifiers_.begin(), notifiers_.end(), &notifier) != notifiers_.end()) return;
    notifiers_.push_back(&notifier);
    notifier.Add(this);
}

void TNetObserver::StopObserving(const TProtoLista& list) {
    TNetNotifier& notifier = list.Notifier();
    auto it = std::find(notifiers_.begin(), notifiers_.end(), &notifier);
    if (it == notifiers_.end()) return;
    notifiers_.erase(it);
    notifier.Remove(this);
}

void TNetObserver::StopObservingAll() {
    for (TNetNotifier* n : notifiers_)
        n->Remove(this);
    notifiers_.clear();
}

TNetNotifier::~TNetNotifier() {
    for (TNetObserver* o : observers_)
        if (o != nullptr) std::erase(o->notifiers_, this);
}

void TNetNotifier::Add(TNetObserver* observer) {
    observers_.push_back(observer);
}

void TNetNotifier::Remove(TNetObserver* observer) {
    auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it == observers_.end()) return;
    if (telling_ > 0) {
        *it = nullptr; // the loop telling them keeps its indices
        holes_ = true;
    } else {
        observers_.erase(it);
    }
}

void TNetNotifier::Compact() {
    if (!holes_) return;
    std::erase(observers_, nullptr);
    holes_ = false;
}

} // namespace veltra
