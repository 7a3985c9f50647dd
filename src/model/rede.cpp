#include "model/rede.h"

#include "model/canvas.h"
#include "model/netfileio.h"

#include <limits>

namespace veltra {

TRede::TRede() : elements_(std::make_shared<TProtoLista>()) {}

void TRede::Step() {
    Propagate();
    Commit();
}

void TRede::Propagate() {
    try {
        elements_->PropagateAll();
        elements_->SumInputsAll();
    } catch (...) {
        elements_->DiscardInputAll();
        throw;
    }
}

void TRede::DrawAll(TCanvas& canvas) const {
    for (const auto& e : *elements_)
        e->DrawOutgoing(canvas);
    for (const auto& e : *elements_)
        e->DrawGlyph(canvas);
}

TProtoNeuronio* TRede::ElementAt(int x, int y) const {
    for (int i = elements_->Count() - 1; i >= 0; --i)
        if (elements_->Item(i)->Contains(x, y)) return elements_->Item(i);
    return nullptr;
}

TProtoNeuronio* TRede::AddElement(std::unique_ptr<TProtoNeuronio> element) {
    if (counter_ < std::numeric_limits<std::int32_t>::max()) ++counter_;
    TProtoNeuronio* raw = element.get();
    elements_->AddElement(std::move(element));
    return raw;
}

void TRede::Remove(TProtoNeuronio* element, TCanvas& canvas) {
    if (elements_->IndexOf(element) < 0) return;
    for (int i = 0; i < elements_->Count(); ++i)
        elements_->Item(i)->DropLinksTo(element, canvas);
    // Released here; its destructor drops what the sweep could not see (hidden synapses
    // across a module border, which are never drawn).
    elements_->Take(element);
}

void TRede::BringToFront(TProtoNeuronio* element) {
    if (auto taken = elements_->Take(element)) elements_->AddElement(std::move(taken));
}

void TRede::SetElements(std::shared_ptr<TProtoLista> list) {
    if (list) elements_ = std::move(list);
}

bool TRede::Save(std::ostream& out) {
    return WriteNetFile(out, *elements_);
}

std::string TRede::Load(std::istream& in) {
    std::string errorText = ReadNetFile(in, *elements_);
    if (errorText.empty()) counter_ = elements_->Count();
    return errorText;
}

} // namespace veltra
