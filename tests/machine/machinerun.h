// What the machine tests share: building a machine's net for a word and running it as the
// Execution Browser's Run does.
#pragma once

#include "machine/machine.h"
#include "machine/machinenet.h"
#include "model/dados.h"

#include <gtest/gtest.h>
#include <string>

namespace veltra::testing {

inline TMachine ReadMachine(const std::string& json) {
    TMachine machine;
    std::string error;
    EXPECT_TRUE(machine.Read(json, error)) << error;
    return machine;
}

// The bound the builder promises: three steps per symbol and the end marker, four to settle.
inline int StepBound(std::size_t wordLength) {
    return kStepsPerSymbol * static_cast<int>(wordLength + 1) + 4;
}

// Runs until every element is finished, as Run does; returns the steps taken (the bound plus
// one when it did not finish in time).
inline int RunToEnd(TDados& document, int limit) {
    int steps = 0;
    while (!document.AllFinished() && steps <= limit) {
        document.Step();
        ++steps;
    }
    return steps;
}

} // namespace veltra::testing
