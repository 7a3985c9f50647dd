// Lets whoever holds elements or synapses outside the model (the Info dialog, a watched
// list, a document's gesture state) forget them the moment the model releases them.
// Listeners run on the GUI thread, inside the release, and must not touch the net.
#pragma once

#include <functional>

namespace veltra {

using TReleaseListener = std::function<void(const void* object)>;

// Returns a token for RemoveReleaseListener.
int AddReleaseListener(TReleaseListener listener);
void RemoveReleaseListener(int token);
// Called by the destructors of elements and synapses with their own address.
void NotifyReleased(const void* object);

} // namespace veltra
