// Small helpers to build nets in tests without a drawing window.
#pragma once

#include "model/dados.h"
#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"

#include <memory>
#include <string>

namespace veltra::testing {

template <class T> T* Add(TRede& net, int x = 0, int y = 0, const std::string& label = {}) {
    auto e = std::make_unique<T>();
    e->Setup(x, y, GlyphIndex(e->Kind()), GlyphIndex(e->Kind()) + 1, net.ElementCounter());
    if (!label.empty()) e->SetLabel(label);
    return static_cast<T*>(net.AddElement(std::move(e)));
}

template <class T> T* AddTo(TProtoLista& list, const std::string& label = {}) {
    auto e = std::make_unique<T>();
    e->SetLabel(label);
    T* raw = e.get();
    list.AddElement(std::move(e));
    return raw;
}

// A visible synapse as the drawing window makes it, without asking anybody.
inline TSinapse* Connect(TProtoNeuronio* from, TProtoNeuronio* to, const std::string& weight) {
    auto s = std::make_unique<TSinapse>();
    s->SetWeightText(weight);
    s->SetUp(from, to);
    TSinapse* raw = from->AddOutgoing(std::move(s));
    to->AddIncoming(raw);
    return raw;
}

} // namespace veltra::testing
