// The program on the simulated demonstration machine, answered OK and OK by the scripted user:
// prints what the user saw, what was removed and what went to the debugger.
#include <cstdio>

#include "app/uninstall_app.h"
#include "platform/sim/machine.h"

int main() {
    sim::Machine machine;
    sim::BuildDefaultMachine(machine);
    machine.Then(sim::Action::PressOk).Then(sim::Action::PressOk);
    sim::ScopedMachine scope(machine);
    {
        CUninstallApp app;
        AfxWinMain();
    }

    std::printf("What the user saw:\n%s", machine.Transcript().c_str());
    std::printf("\nRemoved devices:\n");
    for (const std::string& instanceId : machine.removed) std::printf("  %s\n", instanceId.c_str());
    if (machine.removed.empty()) std::printf("  (none)\n");
    std::printf("\nDebugger output:\n");
    for (const std::string& text : machine.debugOutput) std::printf("  %s\n", text.c_str());
    if (machine.debugOutput.empty()) std::printf("  (none)\n");
    return 0;
}
