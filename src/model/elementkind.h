// The kinds of element and everything that differs between them but their behaviour: one
// constexpr table, so a new fact about a kind is one column and a new kind is one row.
#pragma once

#include <array>
#include <cstddef>
#include <memory>

namespace veltra {

class TProtoNeuronio;

enum class TElementKind { Neuron, Bias, Input, Output, Module };

// The Execution Browser's picture of a watched row; only these kinds are ever watched.
enum class TRowImage { Neuron = 0, Input = 1, Output = 2, None = -1 };

struct TKindInfo {
    TElementKind kind;
    const char* name;           // in lower case, as rows of values print it
    const char* header;         // the element section's first line in a net file
    const char* typeName;       // what that header names, compared without regard to case
    int imageIndex;             // the Info dialog tree's picture
    int glyphIndex;             // in a document's glyph list; the mask sits at index + 1
    int glyphWidth;             // pixels
    int glyphHeight;            // pixels
    TRowImage rowImage;         // the Execution Browser's picture
    const char* equationLetter; // the term's letter in the update equations; null: none
    int equationGroup;          // the order of term groups in an equation; -1: never a term
    std::unique_ptr<TProtoNeuronio> (*make)(); // a new element of the kind
};

std::unique_ptr<TProtoNeuronio> MakeNeuron();
std::unique_ptr<TProtoNeuronio> MakeBias();
std::unique_ptr<TProtoNeuronio> MakeInput();
std::unique_ptr<TProtoNeuronio> MakeOutput();
std::unique_ptr<TProtoNeuronio> MakeModule();

// In the order of TElementKind.
inline constexpr std::array<TKindInfo, 5> KindTable{{
    {TElementKind::Neuron, "neuron", "<TPROTONEURONIO=TNEURONIO>", "TNeuronio", 0, 0, 19, 20,
     TRowImage::Neuron, "N", 0, MakeNeuron},
    {TElementKind::Bias, "bias", "<TPROTONEURONIO=TPENDOR>", "TPendor", 1, 2, 19, 20,
     TRowImage::None, "B", 3, MakeBias},
    {TElementKind::Input, "input", "<TPROTONEURONIO=TINPUT>", "TInput", 2, 4, 22, 18,
     TRowImage::Input, "In", 1, MakeInput},
    {TElementKind::Output, "output", "<TPROTONEURONIO=TOUTPUT>", "TOutput", 3, 6, 28, 19,
     TRowImage::Output, "Out", 2, MakeOutput},
    {TElementKind::Module, "module", "<TPROTONEURONIO=TMODULO>", "TModulo", 8, 8, 19, 19,
     TRowImage::None, nullptr, -1, MakeModule},
}};

constexpr const TKindInfo& KindInfo(TElementKind kind) {
    return KindTable[static_cast<std::size_t>(kind)];
}

static_assert(
    [] {
        for (std::size_t i = 0; i < KindTable.size(); ++i)
            if (static_cast<std::size_t>(KindTable[i].kind) != i) return false;
        return true;
    }(),
    "the kind table is in the order of TElementKind");

} // namespace veltra
