// The driver description lookup over arbitrary "DriverDesc" bytes, sizes and types, driver key
// names, refused opens and failing calls. The outcome must be the one an independent model of
// the registry predicts, the warning must appear exactly for NoPrivilege, and a description that
// was read must end within its 128 bytes and hold only bytes of the value.
#include <cstring>
#include <optional>
#include <set>
#include <string>

#include "dialogs/driver_description.h"
#include "fuzz/fuzz_support.h"

namespace {

const std::string kClassPath = "System\\CurrentControlSet\\Control\\Class";
const std::string kClassGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
const std::string kDriverName = kClassGuid + "\\0001";
const DWORD kValueTypes[] = {REG_SZ, REG_MULTI_SZ, REG_BINARY, REG_NONE};

struct Setup {
    bool classKey = false, classDenied = false, driverKey = false, driverDenied = false;
    std::optional<std::string> driverDesc, classDesc;  // "DriverDesc" of the driver and class key
    int failedOpen = 0;                                // 1st or 2nd RegOpenKeyExA fails
    bool queryFails = false;
    std::string name;  // row 0's driver key name
};

// A name as the device may report it: the right one in any case, empty, the key above it, or
// bytes (never with a leading backslash, which the registry rejects outright).
std::string NameOf(fuzz::Input& in) {
    switch (in.Pick(6)) {
        case 0:
            return kDriverName;
        case 1:
            return fuzz::AsciiLower(kDriverName);
        case 2:
            return "";
        case 3:
            return kClassGuid;
    }
    std::string name = in.Bytes(63);
    name = name.substr(0, name.find('\0'));
    if (!name.empty() && name[0] == '\\') name[0] = '_';
    return name;
}

std::optional<std::string> ValueOf(fuzz::Input& in) {
    switch (in.Pick(5)) {
        case 0:
            return std::nullopt;
        case 1:
            return std::string(127, 'D') + '\0';  // the longest that fits with its NUL
        case 2:
            return std::string(128, 'D') + '\0';  // one byte too long
        case 3:
            return std::string(128, 'D');  // fills the buffer, no NUL
    }
    return in.Bytes(140);
}

Setup SetupOf(fuzz::Input& in) {
    Setup setup;
    std::uint8_t flags = in.Byte();
    setup.classKey = !in.Flag(flags, 0);
    setup.classDenied = in.Flag(flags, 1);
    setup.driverKey = !in.Flag(flags, 2);
    setup.driverDenied = in.Flag(flags, 3);
    setup.failedOpen = (flags >> 4) & 3;
    setup.queryFails = in.Flag(flags, 6);
    setup.name = NameOf(in);
    setup.driverDesc = ValueOf(in);
    setup.classDesc = ValueOf(in);
    return setup;
}

void Install(const Setup& setup, sim::Machine& machine, DWORD type) {
    std::string driverPath = kClassPath + "\\" + kDriverName;
    if (setup.classKey) machine.Key(kClassPath).denyFullAccess = setup.classDenied;
    if (setup.driverKey) machine.Key(driverPath).denyFullAccess = setup.driverDenied;
    if (setup.driverKey && setup.driverDesc) {
        machine.SetValue(driverPath, "DriverDesc", *setup.driverDesc, type);
    }
    if (setup.classKey && setup.classDesc) {
        machine.SetValue(kClassPath, "DriverDesc", *setup.classDesc, type);
    }
    if (setup.failedOpen != 0) {
        machine.FailCall("RegOpenKeyExA", setup.failedOpen, ERROR_ACCESS_DENIED);
    }
    if (setup.queryFails) machine.FailCall("RegQueryValueExA", 0, ERROR_ACCESS_DENIED);
}

// ---------------------------------------------------------------------------------------------
// The model of the registry: keys exist with their parents, paths compare without regard to
// ASCII case, a denied key refuses full access to its own open.

struct Prediction {
    DriverDescOutcome outcome = NoPrivilege;
    std::string value;  // the bytes read, for DescriptionRead
};

Prediction Predict(const Setup& setup) {
    const std::string classPath = fuzz::AsciiLower(kClassPath);
    const std::string guidPath = classPath + "\\" + fuzz::AsciiLower(kClassGuid);
    const std::string driverPath = classPath + "\\" + fuzz::AsciiLower(kDriverName);
    bool classExists = setup.classKey || setup.driverKey;
    if (!classExists || (setup.classKey && setup.classDenied) || setup.failedOpen == 1) return {};
    std::string path =
        setup.name.empty() ? classPath : classPath + "\\" + fuzz::AsciiLower(setup.name);
    const std::optional<std::string>* value = nullptr;
    bool denied = false;
    if (path == classPath) {
        value = setup.classKey ? &setup.classDesc : nullptr;
        denied = setup.classKey && setup.classDenied;
    } else if (setup.driverKey && path == driverPath) {
        value = &setup.driverDesc;
        denied = setup.driverDenied;
    } else if (!(setup.driverKey && path == guidPath)) {
        return {};  // no such key
    }
    if (denied || setup.failedOpen == 2) return {};
    if (value == nullptr || !value->has_value() || setup.queryFails ||
        (*value)->size() > DRIVER_DESC_SIZE) {
        return {NoDescription, ""};
    }
    return {DescriptionRead, **value};
}

void CheckDescription(const char (&description)[DRIVER_DESC_SIZE], const std::string& value) {
    const void* end = std::memchr(description, '\0', DRIVER_DESC_SIZE);
    fuzz::Check(end != nullptr, "the description runs past its buffer");
    std::string text(description);
    std::string expected = value.substr(0, value.find('\0'));
    // Data without a NUL may lose its last byte to the terminator, nothing more.
    bool whole = text == expected;
    bool cut =
        expected.size() == DRIVER_DESC_SIZE && text == expected.substr(0, DRIVER_DESC_SIZE - 1);
    fuzz::Check(whole || cut, "the description \"" + text + "\" is not the value read");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    fuzz::Run run;
    Setup setup = SetupOf(in);
    Install(setup, run.machine, kValueTypes[in.Pick(4)]);
    run.machine.Then(sim::Action::PressOk).Then(sim::Action::PressOk);

    CWnd owner;
    char description[DRIVER_DESC_SIZE];
    std::memset(description, 0xCC, sizeof description);
    DriverDescOutcome outcome = LookUpDriverDescription(&owner, setup.name.c_str(), description);

    Prediction prediction = Predict(setup);
    fuzz::Check(
        outcome == prediction.outcome,
        "outcome " + std::to_string(outcome) + ", expected " + std::to_string(prediction.outcome));
    fuzz::Check(run.CountMessageBoxes() == (outcome == NoPrivilege ? 1 : 0),
                "the warning must appear exactly when the privileges are missing");
    if (outcome == DescriptionRead) CheckDescription(description, prediction.value);
    return 0;
}
