// The removal pass over arbitrary hardware-identifier bytes, returned lengths and error
// sequences for a few devices, run as the confirmation's OK through the simulated window
// system. The safety property: a device is removed only when it is present and one entry of its
// list equals, exactly and whole, the complete first identifier of the first card found; each at
// most once. Without injected failures every such device is removed and no warning appears.
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dialogs/confirm_removal_dlg.h"
#include "fuzz/fuzz_support.h"
#include "removal/removal.h"
#include "res/resource.h"

namespace {

const DWORD kGenFailure = 31;  // ERROR_GEN_FAILURE: a device failed

// Near misses of one another: case, prefix, suffix.
const char* const kIdentifiers[] = {
    "PCI\\VEN_1A2B&DEV_0001&SUBSYS_00011A2B",
    "PCI\\VEN_1A2B&DEV_0001",
    "pci\\ven_1a2b&dev_0001&subsys_00011a2b",
    "PCI\\VEN_1A2B&DEV_0001&SUBSYS_00011A2B&REV_01",
};
const DWORD kQueryErrors[] = {ERROR_INVALID_DATA, ERROR_INSUFFICIENT_BUFFER, ERROR_ACCESS_DENIED,
                              kGenFailure, 0};
const DWORD kEnumErrors[] = {ERROR_NO_MORE_ITEMS, 0, kGenFailure, ERROR_INVALID_DATA};

// The confirmation as far as the removal pass sees it: its OK runs the pass.
class CRemovalDlg : public CDialog {
public:
    CRemovalDlg() : CDialog(IDD_CONFIRM_REMOVAL) {}

protected:
    void OnOK() override { RemoveMatchingDevices(this); }
};

std::optional<std::string> HardwareIdsOf(fuzz::Input& in) {
    std::uint8_t mode = in.Byte();
    if (mode % 4 == 0) return std::nullopt;
    if (mode % 4 == 1) return in.Bytes(64);
    std::vector<std::string> entries;
    for (unsigned n = 1 + in.Pick(4); n > 0; --n) {
        unsigned pick = in.Pick(7);
        entries.push_back(pick < 4 ? std::string(kIdentifiers[pick])
                                   : (pick == 4 ? std::string() : in.Bytes(24)));
    }
    std::string list = sim::MultiSz(entries);
    // Cut anywhere: the last entry may lose its NUL, or the list its closing empty entry.
    if (mode % 4 == 3) list.resize(in.Pick(static_cast<unsigned>(list.size()) + 1));
    return list;
}

sim::Device DeviceOf(fuzz::Input& in, std::size_t index) {
    static const char* const kMakers[] = {"Marlek Technology", "NORDHAFEN FERNNETZ AG", "Other"};
    sim::Device device;
    std::uint8_t flags = in.Byte();
    device.instanceId = "PCI\\VEN_1A2B\\" + std::to_string(index);
    device.present = !in.Flag(flags, 0);
    device.refuseRemoval = in.Flag(flags, 1);
    device.status = in.Flag(flags, 2) ? DN_WILL_BE_REMOVED : 0;
    unsigned maker = (flags >> 3) & 3;
    if (maker < 3) device.manufacturer = kMakers[maker];
    device.hardwareIds = HardwareIdsOf(in);
    for (unsigned n = in.Flag(flags, 5) ? in.Pick(4) : 0; n > 0; --n) {
        device.hardwareIdQueryErrors.push_back(kQueryErrors[in.Pick(5)]);
    }
    return device;
}

// Failures injected into the platform; any of them voids the promise that every carrier goes.
bool InjectFaults(fuzz::Input& in, sim::Machine& machine) {
    std::uint8_t faults = in.Byte();
    // The 1st set is the discovery pass's, the 2nd the present-device set of the first OK.
    if (faults & 3) machine.FailCall("SetupDiGetClassDevsA", faults & 3, ERROR_NOT_ENOUGH_MEMORY);
    if (faults & 4) {
        machine.FailCall("SetupDiEnumDeviceInfo", 1 + in.Pick(16), kEnumErrors[in.Pick(4)]);
    }
    if (faults & 8) machine.FailCall("LocalAlloc", in.Pick(4), ERROR_NOT_ENOUGH_MEMORY);
    return (faults & 0xF) != 0;
}

// The list as the pass may walk it: the entries before the first empty one, each ended by its
// NUL within the list's bytes.
std::vector<std::string> WalkedEntries(const std::string& list) {
    std::vector<std::string> entries;
    for (std::size_t at = 0; at < list.size() && list[at] != '\0';) {
        std::size_t end = list.find('\0', at);
        if (end == std::string::npos) break;
        entries.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return entries;
}

bool Carries(const sim::Device& device, const std::string& identifier) {
    if (!device.present || !device.hardwareIds) return false;
    for (const std::string& entry : WalkedEntries(*device.hardwareIds)) {
        if (entry == identifier) return true;
    }
    return false;
}

// Row 0's identifier must be the whole first entry of the device the row names.
std::string CheckedIdentifier(const sim::Machine& machine) {
    const DeviceEntry& row = g_ConfirmDevices[0];
    fuzz::Check(std::memchr(row.szHardwareId, '\0', sizeof row.szHardwareId) != nullptr,
                "row 0's hardware id runs past its field");
    std::string identifier = row.szHardwareId;
    if (row.szInstanceId[0] == '\0') return identifier;
    for (const sim::Device& device : machine.devices) {
        if (device.instanceId != row.szInstanceId) continue;
        fuzz::Check(device.hardwareIds.has_value() &&
                        device.hardwareIds->find('\0') == identifier.size() &&
                        device.hardwareIds->compare(0, identifier.size(), identifier) == 0,
                    "row 0's hardware id is not its device's whole first identifier");
    }
    return identifier;
}

void CheckRemovals(const sim::Machine& machine, const std::string& identifier, bool faulted) {
    std::set<std::string> removed(machine.removed.begin(), machine.removed.end());
    fuzz::Check(removed.size() == machine.removed.size(), "a device was removed twice");
    for (const sim::Device& device : machine.devices) {
        bool wasRemoved = removed.count(device.instanceId) != 0;
        bool carries = !identifier.empty() && Carries(device, identifier);
        fuzz::Check(!wasRemoved || carries,
                    device.instanceId + " removed without carrying \"" + identifier + "\"");
        bool mustGo = carries && !faulted && !device.refuseRemoval;
        fuzz::Check(wasRemoved || !mustGo, device.instanceId + " carries the id but stayed");
    }
}

bool DialogEndedWithOk(const sim::Machine& machine) {
    for (const sim::Seen& event : machine.seen) {
        if (event.kind == sim::Seen::Kind::DialogClosed) return event.result == IDOK;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    fuzz::Run run;
    sim::Machine& machine = run.machine;
    bool faulted = InjectFaults(in, machine);
    for (std::size_t n = 1 + in.Pick(6), i = 0; i < n; ++i) machine.AddDevice(DeviceOf(in, i));
    bool queryErrors = false;
    for (const sim::Device& device : machine.devices) {
        queryErrors = queryErrors || !device.hardwareIdQueryErrors.empty();
    }
    // OK on the dialog, then OK on every warning; Cancel closes a dialog still open after all.
    for (int i = 0; i < 200; ++i) machine.Then(sim::Action::PressOk);
    machine.Then(sim::Action::PressCancel);

    std::memset(g_ConfirmDevices, 0x5A, sizeof g_ConfirmDevices);  // left from the dialog's pass
    CRemovalDlg dialog;
    dialog.DoModal();

    std::string identifier = CheckedIdentifier(machine);
    CheckRemovals(machine, identifier, faulted || queryErrors);
    fuzz::Check(DialogEndedWithOk(machine), "the confirmation did not end with OK");
    bool refused = false;
    for (const sim::Device& device : machine.devices) {
        refused = refused || (device.refuseRemoval && Carries(device, identifier));
    }
    if (!faulted && !queryErrors && !refused) {
        fuzz::Check(run.CountMessageBoxes() == 0, "a warning without a failure");
    }
    for (const sim::Seen& event : machine.seen) {
        if (event.kind != sim::Seen::Kind::MessageBox) continue;
        fuzz::Check(event.style == (MB_OK | MB_ICONEXCLAMATION), "a warning of another style");
    }
    return 0;
}
