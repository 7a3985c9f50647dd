#include "model/elementkind.h"

#include "model/inputs.h"
#include "model/module.h"
#include "model/neuronio.h"
#include "model/outputs.h"
#include "model/pendor.h"

namespace veltra {

std::unique_ptr<TProtoNeuronio> MakeNeuron() {
    return std::make_unique<TNeuronio>();
}
std::unique_ptr<TProtoNeuronio> MakeBias() {
    return std::make_unique<TPendor>();
}
std::unique_ptr<TProtoNeuronio> MakeInput() {
    return std::make_unique<TInputs>();
}
std::unique_ptr<TProtoNeuronio> MakeOutput() {
    return std::make_unique<TOutputs>();
}
std::unique_ptr<TProtoNeuronio> MakeModule() {
    return std::make_unique<TModule>();
}

} // namespace veltra
