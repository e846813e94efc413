// What every fuzz target shares: the input reader, the fatal check and the per-input machine.
#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace fuzz {
namespace {

const Run* g_run = nullptr;

std::string Escaped(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", c);
        text += (c >= 0x20 && c < 0x7F && c != '\\') ? std::string(1, static_cast<char>(c))
                                                     : std::string(escape);
    }
    return text;
}

std::string Optional(const std::optional<std::string>& bytes) {
    return bytes ? "\"" + Escaped(*bytes) + "\"" : "none";
}

// The machine the failing input built, so a finding can be read without a debugger.
void DumpMachine(const sim::Machine& machine) {
    for (const sim::Device& device : machine.devices) {
        std::fprintf(stderr, "device \"%s\" present=%d ids=%s mfg=%s driver=%s status=0x%X/%u\n",
                     Escaped(device.instanceId).c_str(), device.present,
                     Optional(device.hardwareIds).c_str(), Optional(device.manufacturer).c_str(),
                     Optional(device.driverKey).c_str(), static_cast<unsigned>(device.status),
                     static_cast<unsigned>(device.statusResult));
    }
    for (const sim::Call& call : machine.calls) {
        std::fprintf(stderr, "call %s %s\n", call.function.c_str(), Escaped(call.detail).c_str());
    }
    std::fprintf(stderr, "%s", machine.Transcript().c_str());
}

}  // namespace

std::string Input::Bytes(std::size_t maxLength) {
    std::size_t length = Byte() % (maxLength + 1);
    std::string bytes;
    while (bytes.size() < length && at_ < size_) bytes += static_cast<char>(data_[at_++]);
    return bytes;
}

void Violation(const std::string& what) {
    if (g_run != nullptr) DumpMachine(g_run->machine);
    std::fprintf(stderr, "safety property violated: %s\n", what.c_str());
    std::abort();
}

Run::Run() : scope_(machine) {
    sim::SetFailureHandler(nullptr);
    g_run = this;
}

Run::~Run() {
    CheckAllReleased();
    g_run = nullptr;
}

void Run::CheckAllReleased() const {
    Check(machine.openDeviceInfoSets == 0, "a device information set was left open");
    Check(machine.openRegistryKeys == 0, "a registry key was left open");
    Check(machine.liveLocalBlocks == 0, "a local memory block was left allocated");
}

int Run::CountMessageBoxes() const {
    int count = 0;
    for (const sim::Seen& event : machine.seen) count += event.kind == sim::Seen::Kind::MessageBox;
    return count;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace fuzz
