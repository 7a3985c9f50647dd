#include "ui/dialogs/hinttext.h"

#include "model/protoneuronio.h"

namespace veltra {

std::string HintTextFor(const TProtoNeuronio& element, bool showLabel, bool showValue) {
    std::string text;
    if (showLabel) text = "Label:" + element.Label();
    if (showValue && element.Kind() != TElementKind::Module) {
        // The two blanks only separate the value from a label before it.
        text += (text.empty() ? "Value=" : "  Value=") + element.ValueText();
    }
    return text;
}

} // namespace veltra
