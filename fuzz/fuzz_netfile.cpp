// Fuzz target for the net file reader: every input is read as a whole net file and as a module
// file. Whatever it holds must neither crash nor leak; what was read must step, reset and save;
// and a net read without any error must write back a file that reads to the same bytes again.
#include "execution/dynamics.h"
#include "model/dados.h"
#include "model/module.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

using namespace veltra;

namespace {

std::string Saved(TDados& document) {
    std::ostringstream out;
    document.Save(out);
    return out.str();
}

void AsNet(const std::string& text) {
    TSilentInteraction ui;
    TDados document(&ui);
    std::istringstream in(text);
    const std::string error = document.Load(in);
    for (int i = 0; i < 3; ++i)
        document.Step();
    (void)BuildDynamics(document.Elements());
    const std::string first = Saved(document);
    document.ResetAll();
    (void)document.AllFinished();
    if (!error.empty()) return;

    TDados again(&ui);
    std::istringstream back(first);
    if (!again.Load(back).empty()) std::abort();
    again.Step();
    TDados third(&ui);
    std::istringstream firstAgain(first);
    (void)third.Load(firstAgain);
    if (Saved(third) != first) std::abort();
}

void AsModuleFile(const std::string& text) {
    TSilentInteraction ui;
    TDados document(&ui);
    auto* module = static_cast<TModule*>(document.AddElement(std::make_unique<TModule>()));
    std::istringstream in(text);
    (void)document.LoadModuleFile(*module, in);
    document.Step();
    (void)Saved(document);
}

} // namespace

// tools/fuzz.sh runs the target with the options on the line below (libFuzzer would otherwise
// try inputs of at most 4 KiB, far short of what is read here).
// fuzz-options: -max_len=65536
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Big inputs only slow the search down; long lines have their own tests.
    if (size > 64 * 1024) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    AsNet(text);
    AsModuleFile(text);
    return 0;
}
