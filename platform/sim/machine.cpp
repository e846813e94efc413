// The machine's core: installation, the call log, fault injection and the failure report.
#include "platform/sim/machine.h"

#include <cstdio>
#include <cstdlib>

#include "platform/sim/internals.h"

namespace sim {
namespace {

Machine* g_current = nullptr;
FailureHandler g_failureHandler;

}  // namespace

std::string MultiSz(const std::vector<std::string>& entries) {
    std::string list;
    for (const std::string& entry : entries) {
        list += entry;
        list += '\0';
    }
    list += '\0';
    return list;
}

const ControlView* Seen::Control(int id) const {
    for (const ControlView& control : controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

Machine::Machine() : internals_(new Internals) {}

Machine::~Machine() {
    if (g_current == this) g_current = nullptr;
    delete internals_;
}

Device& Machine::AddDevice(Device device) {
    devices.push_back(std::move(device));
    return devices.back();
}

void Machine::FailCall(const std::string& function, int nth, DWORD error,
                       const std::string& detailContains) {
    faults.push_back(Fault{function, nth, error, detailContains});
}

int Machine::CountCalls(const std::string& function) const {
    int count = 0;
    for (const Call& call : calls) count += call.function == function;
    return count;
}

bool Machine::WasCalledWith(const std::string& function, const std::string& detail) const {
    for (const Call& call : calls) {
        if (call.function == function && call.detail == detail) return true;
    }
    return false;
}

std::optional<DWORD> Machine::Enter(const std::string& function, const std::string& detail) {
    if (!logCalls && faults.empty()) return std::nullopt;
    calls.push_back(Call{function, detail});
    for (const Fault& fault : faults) {
        if (fault.function != function) continue;
        if (detail.find(fault.detailContains) == std::string::npos) continue;
        if (fault.nth == 0) return fault.error;
        int matching = 0;
        for (const Call& call : calls) {
            matching += call.function == function &&
                        call.detail.find(fault.detailContains) != std::string::npos;
        }
        if (matching == fault.nth) return fault.error;
    }
    return std::nullopt;
}

ScopedMachine::ScopedMachine(Machine& machine) {
    if (g_current != nullptr) Fail("a machine is already installed");
    g_current = &machine;
}

ScopedMachine::~ScopedMachine() {
    g_current = nullptr;
}

Machine& Current() {
    if (g_current == nullptr) {
        Fail("a Win32 call was made with no simulated machine installed");
        std::abort();
    }
    return *g_current;
}

void Fail(const std::string& what) {
    if (g_failureHandler) {
        g_failureHandler(what);
        return;
    }
    std::fprintf(stderr, "simulated machine: %s\n", what.c_str());
    std::abort();
}

void SetFailureHandler(FailureHandler handler) {
    g_failureHandler = std::move(handler);
}

}  // namespace sim
