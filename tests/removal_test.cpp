// The removal pass, run as the confirmation's OK: what it removes, what it reports, and whether
// the confirmation ends.
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/confirm_removal_dlg.h"
#include "tests/card_machine.h"
#include "tests/sim_test.h"

namespace {

using cards::AddCard;
using cards::AddOther;
using cards::CardInstance;
using sim::Action;

class RemovalTest : public SimTest {
protected:
    // Opens the confirmation and lets the scripted user answer it.
    INT_PTR Confirm(std::initializer_list<Action> actions) {
        for (Action action : actions) machine.Then(action);
        CConfirmRemovalDlg confirmation;
        INT_PTR result = confirmation.DoModal();
        EXPECT_TRUE(machine.script.empty()) << "unused answers\n" << machine.Transcript();
        return result;
    }

    int RemovalWarnings() const { return cards::CountMessageBoxes(machine, cards::kCannotRemove); }

    CWinApp app_;
};

// ---------------------------------------------------------------------------------------------
// Failure handling, one row per situation.

struct FailureCase {
    const char* name;
    std::function<void(sim::Machine&)> arrange;  // after card 1 and card 2 were added
    std::vector<Action> script;
    int warnings;
    std::vector<std::string> removed;
    INT_PTR result;
};

std::vector<FailureCase> FailureCases() {
    const std::string card1 = CardInstance(1);
    const std::string card2 = CardInstance(2);
    return {
        {"NothingFailsBothCardsRemoved",
         [](sim::Machine&) {},
         {Action::PressOk},
         0,
         {card1, card2},
         IDOK},
        {"DeviceListNotBuiltEndsSilently",
         // the confirmation's own discovery builds its list; the pass's does not
         [](sim::Machine& m) {
             m.FailCall("SetupDiGetClassDevsA", 2, ERROR_NOT_ENOUGH_MEMORY, "flags=0x4");
         },
         {Action::PressOk},
         0,
         {},
         IDOK},
        {"PresentSetRefusedKeepsTheDialogOpenUntilCancel",
         [](sim::Machine& m) {
             m.FailCall("SetupDiGetClassDevsA", 0, ERROR_NOT_ENOUGH_MEMORY, "flags=0x6");
         },
         {Action::PressOk, Action::PressOk, Action::PressCancel},
         1,
         {},
         IDCANCEL},
        {"PresentSetRefusedOnceThenOkRunsTheWholePassAgain",
         [](sim::Machine& m) {
             m.FailCall("SetupDiGetClassDevsA", 1, ERROR_NOT_ENOUGH_MEMORY, "flags=0x6");
         },
         {Action::PressOk, Action::PressOk, Action::PressOk},
         1,
         {card1, card2},
         IDOK},
        {"DeviceWithoutIdentifiersSkippedSilently",
         [](sim::Machine& m) { AddOther(m, "PCI\\VEN_10B7&DEV_9200\\3", std::nullopt); },
         {Action::PressOk},
         0,
         {card1, card2},
         IDOK},
        {"ZeroLengthListSkippedSilently",
         [](sim::Machine& m) { AddOther(m, "PCI\\VEN_10B7&DEV_9200\\3", std::string()); },
         {Action::PressOk},
         0,
         {card1, card2},
         IDOK},
        {"UnexpectedQueryErrorWarnedAndRepeated",
         [](sim::Machine& m) { m.devices[0].hardwareIdQueryErrors = {cards::kGenFailure}; },
         {Action::PressOk, Action::PressOk},
         1,
         {card1, card2},
         IDOK},
        {"QueryThatKeepsFailingGivesUpOnThatDeviceAfterThreeWarnings",
         [](sim::Machine& m) {
             m.FailCall("SetupDiGetDeviceRegistryPropertyA", 0, cards::kGenFailure,
                        CardInstance(1));
         },
         {Action::PressOk, Action::PressOk, Action::PressOk, Action::PressOk},
         3,
         {card2},
         IDOK},
        {"BufferThatNeverSufficesWarnedOnceAndSkipped",
         [](sim::Machine& m) {
             m.FailCall("SetupDiGetDeviceRegistryPropertyA", 0, ERROR_INSUFFICIENT_BUFFER,
                        CardInstance(1));
         },
         {Action::PressOk, Action::PressOk},
         1,
         {card2},
         IDOK},
        {"BufferNotAllocatedWarnedOnceAndSkipped",
         [](sim::Machine& m) { m.FailCall("LocalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY); },
         {Action::PressOk, Action::PressOk},
         1,
         {card2},
         IDOK},
        {"ClassInstallerRefusesOneDevice",
         [](sim::Machine& m) { m.devices[0].refuseRemoval = true; },
         {Action::PressOk, Action::PressOk},
         1,
         {card2},
         IDOK},
        {"EnumerationBreaksOffWithAnotherCode",
         // the third walk over index 1 is the pass's own: the confirmation's and the pass's
         // discovery come first
         [](sim::Machine& m) {
             m.FailCall("SetupDiEnumDeviceInfo", 3, cards::kGenFailure, "index=1");
         },
         {Action::PressOk, Action::PressOk},
         1,
         {card1},
         IDOK},
    };
}

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class RemovalFailureTest : public RemovalTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RemovalFailureTest, ReportsAndGoesOnAsDesigned) {
    const FailureCase& c = GetParam();
    AddCard(machine, 1);
    AddCard(machine, 2);
    c.arrange(machine);
    for (Action action : c.script) machine.Then(action);

    CConfirmRemovalDlg confirmation;
    INT_PTR result = confirmation.DoModal();

    EXPECT_EQ(result, c.result) << machine.Transcript();
    EXPECT_EQ(RemovalWarnings(), c.warnings) << machine.Transcript();
    EXPECT_EQ(machine.removed, c.removed);
    EXPECT_TRUE(machine.script.empty()) << machine.Transcript();
    ExpectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(Failures, RemovalFailureTest, ::testing::ValuesIn(FailureCases()),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// What is removed.

TEST_F(RemovalTest, RemovesTwoCardsOfOneModelInEnumerationOrder) {
    AddCard(machine, 2);
    AddOther(machine, "PCI\\VEN_10DE&DEV_0110\\1", sim::MultiSz({"PCI\\VEN_10DE&DEV_0110"}));
    AddCard(machine, 1);

    EXPECT_EQ(Confirm({Action::PressOk}), IDOK);

    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(2), CardInstance(1)}));
    EXPECT_EQ(RemovalWarnings(), 0);
    EXPECT_TRUE(machine.WasCalledWith("SetupDiGetClassDevsA", "flags=0x6"));
    ExpectAllReleased();
}

TEST_F(RemovalTest, RemovesADeviceCarryingTheIdentifierAsALaterEntry) {
    AddCard(machine, 1);
    AddOther(machine, "ACPI\\PNP0A03\\0", sim::MultiSz({"ACPI\\PNP0A03", cards::kCardId}));

    EXPECT_EQ(Confirm({Action::PressOk}), IDOK);

    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(1), "ACPI\\PNP0A03\\0"}));
    ExpectAllReleased();
}

TEST_F(RemovalTest, LeavesNearMissesAlone) {
    const std::string id = cards::kCardId;
    std::string lower = id;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    struct NearMiss {
        const char* name;
        std::string bytes;
    };
    const NearMiss nearMisses[] = {
        {"other case", sim::MultiSz({lower})},
        {"leading part", sim::MultiSz({id.substr(0, id.size() - 1)})},
        {"identifier plus characters", sim::MultiSz({id + "&X"})},
        {"identifier after the closing empty entry", sim::MultiSz({"OTHER"}) + id + '\0'},
        {"identifier cut off by the returned length", sim::MultiSz({"OTHER"}).substr(0, 6) + id},
        {"identifier behind an empty first entry", std::string("\0", 1) + id + '\0' + '\0'},
    };
    AddCard(machine, 1);
    int slot = 0;
    for (const NearMiss& nearMiss : nearMisses) {
        AddOther(machine, "ROOT\\NEAR\\" + std::to_string(slot++), nearMiss.bytes);
    }

    EXPECT_EQ(Confirm({Action::PressOk}), IDOK);

    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(1)}))
        << "a near miss was removed";
    EXPECT_EQ(RemovalWarnings(), 0);
    ExpectAllReleased();
}

TEST_F(RemovalTest, LeavesAbsentCardsAlone) {
    AddCard(machine, 1);
    AddCard(machine, 2).present = false;

    EXPECT_EQ(Confirm({Action::PressOk}), IDOK);

    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(1)}));
    ExpectAllReleased();
}

TEST_F(RemovalTest, WithoutAnyPresentDeviceEndsWithoutAWarning) {
    AddCard(machine, 1).present = false;
    AddOther(machine, "PCI\\VEN_10DE&DEV_0110\\1", sim::MultiSz({"PCI\\VEN_10DE&DEV_0110"}))
        .present = false;

    EXPECT_EQ(Confirm({Action::PressOk}), IDOK);

    EXPECT_TRUE(machine.removed.empty());
    EXPECT_EQ(RemovalWarnings(), 0);
    ExpectAllReleased();
}

TEST_F(RemovalTest, WithoutAVendorDeviceRemovesNothingAndEndsWithoutAWarning) {
    // An ordinary device whose list is headed by an empty entry must not match the empty
    // identifier of an empty row 0.
    machine.Key(cards::kClassKey);
    AddOther(machine, "PCI\\VEN_10DE&DEV_0110\\1", sim::MultiSz({"PCI\\VEN_10DE&DEV_0110"}));
    AddOther(machine, "ROOT\\EMPTY\\0", std::string(2, '\0'));

    EXPECT_EQ(Confirm({Action::PressOk}), IDOK);

    EXPECT_TRUE(machine.removed.empty());
    EXPECT_EQ(RemovalWarnings(), 0);
    ExpectAllReleased();
}

TEST_F(RemovalTest, AfterARefusedPresentSetOkRunsTheWholePassAgainFromDiscovery) {
    AddCard(machine, 1);
    machine.FailCall("SetupDiGetClassDevsA", 1, ERROR_NOT_ENOUGH_MEMORY, "flags=0x6");

    EXPECT_EQ(Confirm({Action::PressOk, Action::PressOk, Action::PressOk}), IDOK);

    // The confirmation's own discovery, then one for each press of OK.
    int discoveries = 0;
    for (const sim::Call& call : machine.calls) {
        discoveries += call.function == "SetupDiGetClassDevsA" && call.detail == "flags=0x4";
    }
    EXPECT_EQ(discoveries, 3);
    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(1)}));
    EXPECT_EQ(cards::Shown(machine, sim::Seen::Kind::DialogClosed).size(), 1u)
        << machine.Transcript();
    ExpectAllReleased();
}

TEST_F(RemovalTest, WarnsWithTheRemovalTextAndCaption) {
    AddCard(machine, 1).refuseRemoval = true;

    EXPECT_EQ(Confirm({Action::PressOk, Action::PressOk}), IDOK);

    std::vector<sim::Seen> boxes = cards::Shown(machine, sim::Seen::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u) << machine.Transcript();
    EXPECT_EQ(boxes[0].text, cards::kCannotRemove);
    EXPECT_EQ(boxes[0].caption, cards::kCaption);
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes[0].title, "Uninstall TAVRO card") << "owned by the confirmation";
    ExpectAllReleased();
}

}  // namespace
