// The notices of element lists as Qt signals, for widgets and dialogs: connect to the
// signals, then Observe the lists. Signals are emitted inside the change (direct
// connections): a slot lets go of what leaves, and must not change the net.
#pragma once

#include "model/netnotifier.h"

#include <QObject>

namespace veltra {

class TNetSignals final : public QObject, public TNetObserver {
    Q_OBJECT
public:
    explicit TNetSignals(QObject* parent = nullptr) : QObject(parent) {}
    ~TNetSignals() override { StopObservingAll(); }

signals:
    void elementAdded(veltra::TProtoNeuronio* element);
    // `released`: destroyed right after; otherwise taken out by an edit, which may bring it back.
    void elementLeaving(const veltra::TProtoNeuronio* element, bool released);
    void elementChanged(veltra::TProtoNeuronio* element, veltra::TChange what);
    void synapseAdded(veltra::TSinapse* synapse);
    void synapseLeaving(const veltra::TSinapse* synapse, bool released);
    void synapseChanged(veltra::TSinapse* synapse);
    void netReset();
    void netStepped();
    void netReleased(const veltra::TProtoLista* list);

private:
    void ElementAdded(TProtoNeuronio& e) override { emit elementAdded(&e); }
    void ElementLeaving(const TProtoNeuronio& e, TLeaving how) override {
        emit elementLeaving(&e, how == TLeaving::Released);
    }
    void ElementChanged(TProtoNeuronio& e, TChange what) override { emit elementChanged(&e, what); }
    void SynapseAdded(TSinapse& s) override { emit synapseAdded(&s); }
    void SynapseLeaving(const TSinapse& s, TLeaving how) override {
        emit synapseLeaving(&s, how == TLeaving::Released);
    }
    void SynapseChanged(TSinapse& s) override { emit synapseChanged(&s); }
    void NetReset() override { emit netReset(); }
    void NetStepped() override { emit netStepped(); }
    void NetReleased(const TProtoLista& list) override { emit netReleased(&list); }
};

} // namespace veltra
