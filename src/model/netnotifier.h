// What an element list tells those who show or hold its contents: elements and synapses
// added, leaving or changed, and the net reset or stepped. Windows, hints, dialogs, watched
// lists and undo stacks subscribe instead of being told by hand or rescanning the nets.
// Plain C++: the GUI adapts it to signals.
//
// A module's inner net tells its own subscribers first, then those of the net holding the
// module, and so on outwards: a subscriber to a window's net hears about everything drawn in
// it at any depth. Notices come on the thread that changes the net (the GUI thread); a
// subscriber must not change the net while it is being told.
#pragma once

#include <vector>

namespace veltra {

class TNetNotifier;
class TProtoLista;
class TProtoNeuronio;
class TSinapse;

// What changed of an element: how it looks or where it stands (position, place in the list,
// label, watched mark), what it computes (its properties), or, for a module, its inner net.
enum class TChange : unsigned char { Look, Content, InnerNet };

// How something leaves a net. Taken out by an edit, it may come back (undo keeps the very
// object); released, it is destroyed right after the notice.
enum class TLeaving : unsigned char { TakenOut, Released };

// Observers end their subscriptions in their own destructors (StopObservingAll), so that no
// notice reaches an object half destroyed; the base destructor does it too, as a last resort.
class TNetObserver {
public:
    TNetObserver() = default;
    TNetObserver(const TNetObserver&) = delete;
    TNetObserver& operator=(const TNetObserver&) = delete;
    virtual ~TNetObserver();

    virtual void ElementAdded(TProtoNeuronio& /*element*/) {}
    // Let go of the element (and, for a module, of what it holds that is released with it).
    // Told as an element is released, the element is only partly there: compare its address,
    // call nothing virtual on it (a module is told once more while still whole).
    virtual void ElementLeaving(const TProtoNeuronio& /*element*/, TLeaving /*how*/) {}
    virtual void ElementChanged(TProtoNeuronio& /*element*/, TChange /*what*/) {}
    virtual void SynapseAdded(TSinapse& /*synapse*/) {}
    virtual void SynapseLeaving(const TSinapse& /*synapse*/, TLeaving /*how*/) {}
    virtual void SynapseChanged(TSinapse& /*synapse*/) {}
    virtual void NetReset() {}
    virtual void NetStepped() {}
    // The list itself is going: nothing more will be told, and the subscription ends.
    virtual void NetReleased(const TProtoLista& /*list*/) {}

    // Subscribes to the list's notices (once; again is no change) or ends that.
    void Observe(const TProtoLista& list);
    void StopObserving(const TProtoLista& list);
    void StopObservingAll();

private:
    friend class TNetNotifier;
    std::vector<TNetNotifier*> notifiers_;
};

// Remembers that what the observed nets compute was edited: an element or synapse added, gone
// or changed (an element's looks and place aside).
class TEditFlag final : public TNetObserver {
public:
    ~TEditFlag() override { StopObservingAll(); }
    bool edited = false;

private:
    void ElementAdded(TProtoNeuronio&) override { edited = true; }
    void ElementLeaving(const TProtoNeuronio&, TLeaving) override { edited = true; }
    void ElementChanged(TProtoNeuronio&, TChange what) override {
        if (what != TChange::Look) edited = true;
    }
    void SynapseAdded(TSinapse&) override { edited = true; }
    void SynapseLeaving(const TSinapse&, TLeaving) override { edited = true; }
    void SynapseChanged(TSinapse&) override { edited = true; }
};

class TNetNotifier {
public:
    TNetNotifier() = default;
    TNetNotifier(const TNetNotifier&) = delete;
    TNetNotifier& operator=(const TNetNotifier&) = delete;
    ~TNetNotifier();

    bool Empty() const { return observers_.empty(); }
    // Calls `notice` on every subscriber. Subscribers may come and go meanwhile: one that
    // leaves is not told, one that comes is told from the next notice on.
    template <class F> void Tell(F&& notice) {
        if (observers_.empty()) return;
        ++telling_;
        const std::size_t count = observers_.size();
        for (std::size_t i = 0; i < count && i < observers_.size(); ++i)
            if (TNetObserver* o = observers_[i]) notice(*o);
        if (--telling_ == 0) Compact();
    }

private:
    friend class TNetObserver;
    void Add(TNetObserver* observer);
    void Remove(TNetObserver* observer);
    void Compact();

    std::vector<TNetObserver*> observers_; // null: left while being told
    int telling_ = 0;
    bool holes_ = false;
};

} // namespace veltra
