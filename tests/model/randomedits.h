// Edits as a user makes them, drawn at random: the answers to the model's questions and what
// is typed into the Info dialog's fields. The model's own edit test and the desktop's undo
// test draw from here, so that both cover the same edits.
#pragma once

#include "model/interaction.h"

#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace veltra {

class TRandomAnswers final : public TInteraction {
public:
    explicit TRandomAnswers(std::mt19937& random) : random_(random) {}
    void ShowMessage(const std::string&) override {}
    TProtoNeuronio* SelectInner(const std::vector<TProtoNeuronio*>& candidates) override {
        if (candidates.empty() || random_() % 5 == 0) return nullptr; // cancelled
        return candidates[random_() % candidates.size()];
    }
    std::string WeightText() override { return Decimal(); }
    std::vector<const TProtoLista*> OpenNets() override { return nets; }

    std::string Decimal() {
        static const char* const texts[] = {
            "", "0", "1", "-1", "0.5", "-2.25", "3.0001", "12345678901234567890.5", "-0"};
        return texts[random_() % std::size(texts)];
    }
    // A coordinate on the part of the drawing the tests use.
    int Coordinate() { return static_cast<int>(random_() % 600); }

    // An element's fields: a label or none, a value, a place or none, a function, a threshold,
    // a sequence and whether its history list is emptied.
    TInfoFields ElementFields() {
        static const char* const activations[] = {"Saturated_Linear", "HeavisideStepFunction",
                                                  "BinarySigmoid"};
        TInfoFields fields;
        fields.name = random_() % 2 ? "n" + std::to_string(random_() % 100) : "";
        fields.value = Decimal();
        if (random_() % 2) {
            fields.x = std::to_string(Coordinate());
            fields.y = std::to_string(Coordinate());
        }
        fields.activation = activations[random_() % std::size(activations)];
        fields.teta = Decimal();
        for (unsigned n = random_() % 6; n > 0; --n)
            fields.sequence += random_() % 2 ? '1' : '0';
        fields.historyListEmpty = random_() % 2 == 0;
        return fields;
    }
    // A synapse's fields: a label and a weight.
    TInfoFields SynapseFields() {
        TInfoFields fields;
        fields.name = "s" + std::to_string(random_() % 10);
        fields.value = Decimal();
        return fields;
    }

    std::vector<const TProtoLista*> nets;

private:
    std::mt19937& random_;
};

} // namespace veltra
