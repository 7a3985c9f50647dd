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
    {.kind = TElementKind::Neuron,
     .name = "neuron",
     .header = "<TPROTONEURONIO=TNEURONIO>",
     .typeName = "TNeuronio",
     .imageIndex = 0,
     .glyphIndex = 0,
     .glyphWidth = 19,
     .glyphHeight = 20,
     .rowImage = TRowImage::Neuron,
     .equationLetter = "N",
     .equationGroup = 0,
     .make = MakeNeuron},
    {.kind = TElementKind::Bias,
     .name = "bias",
     .header = "<TPROTONEURONIO=TPENDOR>",
     .typeName = "TPendor",
     .imageIndex = 1,
     .glyphIndex = 2,
     .glyphWidth = 19,
     .glyphHeight = 20,
     .rowImage = TRowImage::None,
     .equationLetter = "B",
     .equationGroup = 3,
     .make = MakeBias},
    {.kind = TElementKind::Input,
     .name = "input",
     .header = "<TPROTONEURONIO=TINPUT>",
     .typeName = "TInput",
     .imageIndex = 2,
     .glyphIndex = 4,
     .glyphWidth = 22,
     .glyphHeight = 18,
     .rowImage = TRowImage::Input,
     .equationLetter = "In",
     .equationGroup = 1,
     .make = MakeInput},
    {.kind = TElementKind::Output,
     .name = "output",
     .header = "<TPROTONEURONIO=TOUTPUT>",
     .typeName = "TOutput",
     .imageIndex = 3,
     .glyphIndex = 6,
     .glyphWidth = 28,
     .glyphHeight = 19,
     .rowImage = TRowImage::Output,
     .equationLetter = "Out",
     .equationGroup = 2,
     .make = MakeOutput},
    {.kind = TElementKind::Module,
     .name = "module",
     .header = "<TPROTONEURONIO=TMODULO>",
     .typeName = "TModulo",
     .imageIndex = 8,
     .glyphIndex = 8,
     .glyphWidth = 19,
     .glyphHeight = 19,
     .rowImage = TRowImage::None,
     .equationLetter = nullptr,
     .equationGroup = -1,
     .make = MakeModule},
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
