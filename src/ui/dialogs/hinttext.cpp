#include "ui/dialogs/hinttext.h"

#include "model/protoneuronio.h"
#include "ui/numbertip.h"

namespace veltra {

std::string HintTextFor(const TProtoNeuronio& element, bool showLabel, bool showValue) {
    std::string text;
    if (showLabel) text = "Label:" + element.Label();
    if (showValue && element.Kind() != TElementKind::Module) {
        // The two blanks only separate the value from a label before it. A hint is one line:
        // a long value shows shortened.
        text += (text.empty() ? "Value=" : "  Value=") +
                ListedText(element.ValueTextEnds(ListedAsk, ListedAsk)).toStdString();
    }
    return text;
}

} // namespace veltra
