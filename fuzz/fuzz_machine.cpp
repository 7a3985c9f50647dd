// Fuzz target for machine descriptions: any text is read as a description; a description that
// reads must build a net for a short word (taken from the input's last bytes) that runs to an
// end within its bound and decides the word as the machine's direct simulation does.
#include "machine/machine.h"
#include "machine/machinenet.h"
#include "model/dados.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace veltra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TMachine machine;
    std::string error;
    if (!machine.Read(text, error)) {
        if (error.empty()) std::abort(); // a refusal always says why
        return 0;
    }
    // Keep each run small: the fuzzer is after the reader and the builder, not big nets.
    if (machine.transitions.size() > 40 || machine.states.size() > 40) return 0;
    std::vector<int> word;
    for (std::size_t i = size > 8 ? size - 8 : 0; i < size; ++i)
        word.push_back(data[i] % machine.alphabet.size());
    TDados document;
    BuildMachineNet(machine, word, document);
    const int bound = kStepsPerSymbol * static_cast<int>(word.size() + 1) + 4;
    int steps = 0;
    while (!document.AllFinished() && steps <= bound) {
        document.Step();
        ++steps;
    }
    if (!document.AllFinished()) std::abort();
    if (NetAccepted(document) != machine.Accepts(word)) std::abort();
    return 0;
}
