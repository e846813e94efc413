// The simulated Windows machine: the state behind the Win32 functions that platform/win32.h
// declares on the host build. A test builds a Machine, scripts its user, installs it with a
// ScopedMachine, runs the program (or one function) and then reads what the user saw and what the
// machine did.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace sim {

// ---------------------------------------------------------------------------------------------
// Devices: the device installer's and the configuration manager's view of the device tree.

// A REG_MULTI_SZ list: every entry with its NUL, then the closing empty entry.
std::string MultiSz(const std::vector<std::string>& entries);

struct Device {
    std::string instanceId;
    bool present = true;  // in the device tree now: locatable, and listed in DIGCF_PRESENT sets
    std::optional<std::string> hardwareIds;   // the property's raw bytes; its size is their count
    std::optional<std::string> manufacturer;  // a text, reported with its NUL
    std::optional<std::string> driverKey;     // a text, reported with its NUL
    ULONG status = 0;                         // DN_* bits
    CONFIGRET statusResult = CR_SUCCESS;      // non-zero: CM_Get_DevNode_Status fails with it
    DWORD instanceIdError = 0;  // non-zero: SetupDiGetDeviceInstanceIdA fails with this error
    // SetupDiGetDeviceRegistryPropertyA(SPDRP_HARDWAREID) fails with these first, one per call,
    // before it answers from hardwareIds.
    std::deque<DWORD> hardwareIdQueryErrors;
    bool refuseRemoval = false;  // the class installer fails DIF_REMOVE for this device
    bool removed = false;        // set by a successful DIF_REMOVE; a removed device is gone
};

// ---------------------------------------------------------------------------------------------
// Faults and the call log.

struct Fault {
    std::string function;  // e.g. "SetupDiGetClassDevsA", "LocalAlloc"
    int nth = 0;           // fail the nth matching call (1-based); 0 fails every matching call
    DWORD error = 0;       // the last error (or the CONFIGRET / LSTATUS the call returns)
    std::string detailContains;  // only calls whose logged detail contains this text match
};

struct Call {
    std::string function;
    // The arguments that matter. Device calls: "flags=0x4" (SetupDiGetClassDevsA), "index=N"
    // (SetupDiEnumDeviceInfo), "" (SetupDiDestroyDeviceInfoList), "<instance id> CM_DRP_MFG" and
    // the like (property reads), the instance id (every other per-device call).
    std::string detail;
};

// ---------------------------------------------------------------------------------------------
// Registry: keys below HKEY_LOCAL_MACHINE, named by paths such as
// "System\\CurrentControlSet\\Control\\Class\\{...}\\0001" (compared without regard to case).

struct RegistryValue {
    DWORD type = REG_SZ;
    std::string data;  // raw bytes
};

struct RegistryKey {
    std::map<std::string, RegistryValue> values;  // by lower-case name
    bool denyFullAccess = false;                  // opening with KEY_ALL_ACCESS is refused
};

// ---------------------------------------------------------------------------------------------
// Window system: what the user saw and how the scripted user answers.

enum class Action {
    PressOk,      // click the OK button (or a message box's OK)
    PressCancel,  // click the Cancel button
    Enter,        // the default button
    Escape,
    CloseBox,  // the caption's close box
    Minimise,
    Restore,
};

struct ControlView {
    int id = 0;
    std::string windowClass;  // "Button", "Static", "ComboBox"
    DWORD style = 0;
    std::string text;                  // for a combo box the text of its edit field
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units, from the template
    int imageId = 0;                   // SS_BITMAP: the bitmap resource it shows
    int listCount = 0;                 // ComboBox: entries in its list
};

struct Seen {
    enum class Kind {
        Dialog,        // a dialog became visible
        MessageBox,    // a message box was shown
        DialogClosed,  // a dialog ended (result in `result`)
        IconDrawn,     // DrawIcon on a dialog (x, y, iconId)
        UserAction,    // the scripted user acted (action)
    };
    Kind kind = Kind::Dialog;
    std::string title;  // dialog title; for a message box its owner's title
    std::vector<ControlView> controls;
    int focusId = 0;    // control with the focus when shown (0: none set)
    int bigIconId = 0;  // resource ids of the window icons when shown (0: none)
    int smallIconId = 0;
    WORD templateLanguage = 0;     // language of the dialog template that was shown
    std::string text, caption;     // message box
    UINT style = 0;                // message box style
    INT_PTR result = 0;            // DialogClosed
    int x = 0, y = 0, iconId = 0;  // IconDrawn
    Action action = Action::PressOk;

    const ControlView* Control(int id) const;
};

// ---------------------------------------------------------------------------------------------

class Machine {
public:
    Machine();
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Devices, in the device installer's order.
    std::vector<Device> devices;
    Device& AddDevice(Device device);
    // Instance ids of the devices the class installer removed, in order.
    std::vector<std::string> removed;

    // Registry.
    std::map<std::string, RegistryKey> registryKeys;  // by lower-case path below HKLM
    RegistryKey& Key(const std::string& path);        // creates it and its parents
    void SetString(const std::string& path, const std::string& name, const std::string& text);
    void SetValue(const std::string& path, const std::string& name, const std::string& bytes,
                  DWORD type = REG_SZ);

    // Kernel.
    LCID threadLocale = 0x0409;
    DWORD lastError = 0;
    std::vector<std::string> debugOutput;  // every OutputDebugStringA text, in order

    // Window system.
    std::deque<Action> script;  // the scripted user's answers, taken in order
    Machine& Then(Action action) {
        script.push_back(action);
        return *this;
    }
    std::vector<Seen> seen;                   // everything shown, in order
    int iconSize = 32;                        // SM_CXICON and SM_CYICON
    RECT minimisedClientRect = {0, 0, 0, 0};  // GetClientRect while minimised
    std::string Transcript() const;           // `seen` as readable lines, one per event

    // Faults and calls.
    std::vector<Fault> faults;
    void FailCall(const std::string& function, int nth, DWORD error,
                  const std::string& detailContains = "");
    // Off: calls are not logged while no fault is set, and the device installer's calls then
    // allocate nothing (for benchmarks). Faults count calls by the log, so they keep it on.
    bool logCalls = true;
    std::vector<Call> calls;
    int CountCalls(const std::string& function) const;
    bool WasCalledWith(const std::string& function, const std::string& detail) const;

    // Handles still open: device information sets, registry keys, local memory blocks.
    int openDeviceInfoSets = 0;
    int openRegistryKeys = 0;
    int liveLocalBlocks = 0;
    bool AllReleased() const {
        return openDeviceInfoSets == 0 && openRegistryKeys == 0 && liveLocalBlocks == 0;
    }

    // The implementation's own state (handle tables, modal windows); not for tests.
    struct Internals;
    Internals& internals() { return *internals_; }

    // Logs the call and answers whether a fault applies to it (and which error to give).
    std::optional<DWORD> Enter(const std::string& function, const std::string& detail);

private:
    Internals* internals_;
};

// Installs a machine as the current one for the lifetime of the object; restores none after.
class ScopedMachine {
public:
    explicit ScopedMachine(Machine& machine);
    ~ScopedMachine();
    ScopedMachine(const ScopedMachine&) = delete;
    ScopedMachine& operator=(const ScopedMachine&) = delete;
};

// The installed machine. A Win32 call with none installed fails loudly.
Machine& Current();

// Reports a misuse of the simulation (a call it does not model, a script that ran out). The
// default handler prints and aborts; tests install one that records a test failure.
void Fail(const std::string& what);
using FailureHandler = std::function<void(const std::string&)>;
void SetFailureHandler(FailureHandler handler);

// The default machine of the demonstration: one TAVRO card with its driver description.
void BuildDefaultMachine(Machine& machine);

}  // namespace sim

namespace sim {

// The icon handle LoadIconA gives for an icon group of the program, and back. 0: not an icon of
// the program.
HICON IconHandle(int resourceId);
int IconResourceId(HICON icon);

// The program's compiled resources (the bytes windres produced), linked into the host build.
const unsigned char* ProgramResourceBytes(std::size_t* size);

}  // namespace sim
