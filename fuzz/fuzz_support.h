// What every fuzz target shares: a reader that turns the fuzzer's bytes into choices, a fresh
// simulated machine whose misuse is fatal, and a check that stops the run with the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sim/machine.h"

namespace fuzz {

// Reads choices from the input front to back; an exhausted input reads as zeros, so every input
// decodes to some machine.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool Flag(std::uint8_t bits, int bit) const { return ((bits >> bit) & 1) != 0; }
    // A choice among `count` alternatives.
    unsigned Pick(unsigned count) { return Byte() % count; }
    // A length byte, then up to `maxLength` raw bytes (NULs and all).
    std::string Bytes(std::size_t maxLength);

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A safety property failed: print it and abort, which the fuzzer reports as a finding.
[[noreturn]] void Violation(const std::string& what);
inline void Check(bool holds, const std::string& what) {
    if (!holds) Violation(what);
}

// A fresh machine installed for one input. The simulation's default failure handler stays in
// place, so a call it does not model, or a user script that runs out, aborts the run.
class Run {
public:
    Run();
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Every registry key, device information set and local memory block was released.
    void CheckAllReleased() const;
    // The message boxes the user was shown.
    int CountMessageBoxes() const;

    sim::Machine machine;

private:
    sim::ScopedMachine scope_;
};

// ASCII-only lower case, the folding of the registry paths and the manufacturer names.
std::string AsciiLower(std::string text);

}  // namespace fuzz

// The fuzzer's entry point, which the replay driver also calls.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
