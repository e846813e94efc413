// The simulated device installer as a setupapi.dll: when the real program runs under Wine it takes
// its SetupDi and CM_ functions from here (Wine's own configuration manager is a stub). The machine
// comes from the description file named by UNINSTALL_SIM_MACHINE, read once when the program
// loads the library; removals happen in memory for the run, and each one is appended as
// "removed: <instance id>" to the file named by UNINSTALL_SIM_RESULT, which a test then reads.
// A misuse of the simulation is written there too, and ends the program.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/sim/machine.h"
#include "platform/sim/machine_file.h"

namespace {

sim::Machine* g_machine = nullptr;
sim::ScopedMachine* g_scope = nullptr;

std::string Environment(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// One line for the test; without a result file it goes to the debugger output instead.
void Report(const std::string& line) {
    std::string path = Environment("UNINSTALL_SIM_RESULT");
    if (path.empty()) {
        OutputDebugStringA(("setupapi stand-in: " + line).c_str());
        return;
    }
    std::ofstream file(path, std::ios::app | std::ios::binary);
    file << line << "\n";
}

void FailLoudly(const std::string& what) {
    Report("simulation failure: " + what);
    TerminateProcess(GetCurrentProcess(), 3);
}

bool ReadMachineFile(sim::MachineFile& machineFile) {
    std::string path = Environment("UNINSTALL_SIM_MACHINE");
    if (path.empty()) {
        Report("simulation failure: UNINSTALL_SIM_MACHINE names no machine file");
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    std::string error;
    if (!file.is_open() || !sim::ParseMachineFile(text.str(), machineFile, error)) {
        Report("simulation failure: " + path + ": " + (file.is_open() ? error : "unreadable"));
        return false;
    }
    return true;
}

bool InstallMachine() {
    sim::MachineFile machineFile;
    if (!ReadMachineFile(machineFile)) return false;
    g_machine = new sim::Machine;
    for (sim::Device& device : machineFile.devices) g_machine->AddDevice(device);
    for (const sim::Fault& fault : machineFile.faults) {
        g_machine->FailCall(fault.function, fault.nth, fault.error, fault.detailContains);
    }
    sim::SetFailureHandler(FailLoudly);
    g_scope = new sim::ScopedMachine(*g_machine);
    return true;
}

}  // namespace

extern "C" {

BOOL WINAPI RecordingCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                        PSP_DEVINFO_DATA DeviceInfoData) {
    std::size_t before = g_machine->removed.size();
    BOOL result = SetupDiCallClassInstaller(InstallFunction, DeviceInfoSet, DeviceInfoData);
    DWORD error = GetLastError();
    for (std::size_t i = before; i < g_machine->removed.size(); ++i) {
        Report("removed: " + g_machine->removed[i]);
    }
    SetLastError(error);
    return result;
}

// The machine lives until the process ends: the program's last calls may come during its exit.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) return InstallMachine() ? TRUE : FALSE;
    return TRUE;
}

}  // extern "C"
