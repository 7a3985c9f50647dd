// The hover-hint text of an element as the Options dialog's "Show" settings ask for it.
#pragma once

#include <string>

namespace veltra {

class TProtoNeuronio;

// "Label:<label>" and "  Value=<value>" (a module has no value; a long value is shortened as
// lists show it), each kept or left out as set; empty when nothing is to be shown, in which
// case no hint should appear.
std::string HintTextFor(const TProtoNeuronio& element, bool showLabel, bool showValue);

} // namespace veltra
