// The driver description lookup: its three outcomes, the privilege warning, and both keys
// released on every path.
#include <functional>
#include <string>
#include <vector>

#include "dialogs/driver_description.h"
#include "tests/sim_test.h"

namespace {

const std::string kClassKey = "System\\CurrentControlSet\\Control\\Class";
const std::string kDriverKeyName = "{4D36E972-E325-11CE-BFC1-08002BE10318}\\0007";
const std::string kDriverKey = kClassKey + "\\" + kDriverKeyName;
const char kNoPrivilegesText[] =
    "Cannot run program. You don't have privileges to perform this operation.  Please, contact "
    "your system administrator.";
const char kCaption[] = "TAVRO Client for Windows 2000";

class DriverDescriptionTest : public SimTest {
protected:
    struct Result {
        DriverDescOutcome outcome;
        std::string description;
    };

    Result LookUp(const std::string& driverKeyName) {
        CWnd owner;
        char description[DRIVER_DESC_SIZE] = "";
        DriverDescOutcome outcome =
            LookUpDriverDescription(&owner, driverKeyName.c_str(), description);
        return Result{outcome, description};
    }

    std::vector<sim::Seen> MessageBoxes() const {
        std::vector<sim::Seen> boxes;
        for (const sim::Seen& seen : machine.seen) {
            if (seen.kind == sim::Seen::Kind::MessageBox) boxes.push_back(seen);
        }
        return boxes;
    }
};

struct LookupCase {
    const char* name;
    std::function<void(sim::Machine&)> arrange;
    std::string driverKeyName;
    DriverDescOutcome outcome;
    std::string description;  // for DescriptionRead
};

std::vector<LookupCase> LookupCases() {
    const std::string desc127(127, 'D');
    return {
        {"DescriptionRead",
         [](sim::Machine& m) {
             m.SetString(kDriverKey, "DriverDesc", "Marlek TAVRO 2000 PCI Adapter");
         },
         kDriverKeyName, DescriptionRead, "Marlek TAVRO 2000 PCI Adapter"},
        {"DriverKeyNamedInAnotherCase",
         [](sim::Machine& m) { m.SetString(kDriverKey, "DriverDesc", "Card"); },
         "{4d36e972-e325-11ce-bfc1-08002be10318}\\0007", DescriptionRead, "Card"},
        {"ClassKeyRefusesFullAccess",
         [](sim::Machine& m) {
             m.SetString(kDriverKey, "DriverDesc", "Card");
             m.Key(kClassKey).denyFullAccess = true;
         },
         kDriverKeyName, NoPrivilege, ""},
        {"DriverKeyMissing", [](sim::Machine& m) { m.Key(kClassKey); }, kDriverKeyName, NoPrivilege,
         ""},
        {"DriverKeyRefusesFullAccess",
         [](sim::Machine& m) {
             m.SetString(kDriverKey, "DriverDesc", "Card");
             m.Key(kDriverKey).denyFullAccess = true;
         },
         kDriverKeyName, NoPrivilege, ""},
        {"ClassKeyMissing", [](sim::Machine&) {}, kDriverKeyName, NoPrivilege, ""},
        {"ValueMissing", [](sim::Machine& m) { m.Key(kDriverKey); }, kDriverKeyName, NoDescription,
         ""},
        {"ValueUnreadable",
         [](sim::Machine& m) {
             m.SetString(kDriverKey, "DriverDesc", "Card");
             m.FailCall("RegQueryValueExA", 0, ERROR_INVALID_PARAMETER);
         },
         kDriverKeyName, NoDescription, ""},
        {"Text127CharactersFillsTheBufferWithItsNul",
         [desc127](sim::Machine& m) { m.SetString(kDriverKey, "DriverDesc", desc127); },
         kDriverKeyName, DescriptionRead, desc127},
        {"Text128CharactersNeedsMoreThanTheBuffer",
         [](sim::Machine& m) { m.SetString(kDriverKey, "DriverDesc", std::string(128, 'D')); },
         kDriverKeyName, NoDescription, ""},
        {"Bytes128WithoutNulEndOnTheLastByte",
         [](sim::Machine& m) { m.SetValue(kDriverKey, "DriverDesc", std::string(128, 'D')); },
         kDriverKeyName, DescriptionRead, desc127},
        {"ShortTextWithoutNulKeepsEveryByte",
         [](sim::Machine& m) { m.SetValue(kDriverKey, "DriverDesc", "Card"); }, kDriverKeyName,
         DescriptionRead, "Card"},
        {"EmptyValue", [](sim::Machine& m) { m.SetValue(kDriverKey, "DriverDesc", ""); },
         kDriverKeyName, DescriptionRead, ""},
        {"BinaryValueIsHeldAsText",
         [](sim::Machine& m) {
             m.SetValue(kDriverKey, "DriverDesc", std::string("AB\0CD", 5), REG_BINARY);
         },
         kDriverKeyName, DescriptionRead, "AB"},
        {"EmptyDriverKeyReadsTheClassKeyItself",
         [](sim::Machine& m) { m.SetString(kClassKey, "DriverDesc", "Class"); }, "",
         DescriptionRead, "Class"},
        {"EmptyDriverKeyWithoutValueInTheClassKey",
         [](sim::Machine& m) { m.SetString(kDriverKey, "DriverDesc", "Card"); }, "", NoDescription,
         ""},
    };
}

void PrintTo(const LookupCase& c, std::ostream* os) {
    *os << c.name;
}

class LookupCaseTest : public DriverDescriptionTest,
                       public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LookupCaseTest, GivesItsOutcomeAndReleasesBothKeys) {
    const LookupCase& c = GetParam();
    c.arrange(machine);
    if (c.outcome == NoPrivilege) machine.Then(sim::Action::PressOk);

    Result result = LookUp(c.driverKeyName);

    EXPECT_EQ(result.outcome, c.outcome);
    if (c.outcome == DescriptionRead) {
        EXPECT_EQ(result.description, c.description);
    }
    EXPECT_EQ(MessageBoxes().size(), c.outcome == NoPrivilege ? 1u : 0u);
    ExpectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(Lookups, LookupCaseTest, ::testing::ValuesIn(LookupCases()),
                         [](const ::testing::TestParamInfo<LookupCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(DriverDescriptionTest, OpensBothKeysWithFullAccessAndReadsInto128Bytes) {
    machine.SetString(kDriverKey, "DriverDesc", "Card");
    LookUp(kDriverKeyName);
    EXPECT_TRUE(machine.WasCalledWith("RegOpenKeyExA", kClassKey + " access=0xF003F"));
    EXPECT_TRUE(machine.WasCalledWith("RegOpenKeyExA", kDriverKey + " access=0xF003F"));
    EXPECT_TRUE(machine.WasCalledWith("RegQueryValueExA", kDriverKey + ":DriverDesc size=128"));
    ExpectAllReleased();
}

TEST_F(DriverDescriptionTest, WarnsAUserWithoutPrivilegesInTheirLanguage) {
    struct Case {
        LCID locale;
        const char* text;
    };
    const Case cases[] = {
        {0x0409, kNoPrivilegesText},
        {0x0407,
         "Kann das Programm nicht starten. Sie haben keine Rechte um diese Operation "
         "auszuf\xFChren.  Bitte, kontaktieren Sie Ihren System Administrator."},
    };
    machine.Key(kClassKey).denyFullAccess = true;
    for (const Case& c : cases) {
        machine.seen.clear();
        machine.threadLocale = c.locale;
        machine.Then(sim::Action::PressOk);
        EXPECT_EQ(LookUp(kDriverKeyName).outcome, NoPrivilege);
        std::vector<sim::Seen> boxes = MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << std::hex << c.locale;
        EXPECT_EQ(boxes[0].text, c.text) << std::hex << c.locale;
        EXPECT_EQ(boxes[0].caption, kCaption) << std::hex << c.locale;
        EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    }
    ExpectAllReleased();
}

TEST_F(DriverDescriptionTest, AWarningWhoseStringsCannotBeLoadedShowsEmptyTexts) {
    machine.Key(kClassKey).denyFullAccess = true;
    machine.FailCall("FindResourceExA", 0, ERROR_RESOURCE_NAME_NOT_FOUND, "type=6 ");
    machine.Then(sim::Action::PressOk);

    EXPECT_EQ(LookUp(kDriverKeyName).outcome, NoPrivilege);

    std::vector<sim::Seen> boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "");
    EXPECT_EQ(boxes[0].caption, "");
    ExpectAllReleased();
}

}  // namespace
