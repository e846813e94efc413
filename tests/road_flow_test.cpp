// The whole road through the program with a scripted user: start-up, the chooser, the
// confirmation and the removal, as the user sees it.
#include <optional>
#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "dialogs/choose_device_dlg.h"
#include "dialogs/confirm_removal_dlg.h"
#include "res/resource.h"
#include "tests/card_machine.h"
#include "tests/sim_test.h"

namespace {

using cards::AddCard;
using cards::CardInstance;
using sim::Action;
using sim::Seen;

const char kUnknownDriver[] = "Unknown device driver";

class RoadFlowTest : public SimTest {
protected:
    // The chooser's flag lives for a whole process; every test here is a fresh run.
    RoadFlowTest() { g_bChooserAborted = FALSE; }

    void RunProgram(std::initializer_list<Action> actions) {
        for (Action action : actions) machine.Then(action);
        CUninstallApp app;
        AfxWinMain();
        EXPECT_TRUE(machine.script.empty()) << "unused answers\n" << machine.Transcript();
        ExpectAllReleased();
    }

    // The dialogs shown, told apart by their controls.
    std::vector<Seen> Shown(int controlId, bool withCancel) const {
        std::vector<Seen> shown;
        for (const Seen& seen : machine.seen) {
            if (IsDialog(seen, controlId, withCancel)) shown.push_back(seen);
        }
        return shown;
    }
    std::vector<Seen> Choosers() const { return Shown(IDC_DEVICE_COMBO, true); }
    std::vector<Seen> Confirmations() const { return Shown(IDC_DEVICE_DESC, true); }
    std::vector<Seen> Notices() const { return Shown(IDC_DEVICE_DESC, false); }
    // The results of the dialogs in the order they closed.
    std::vector<INT_PTR> Results() const {
        std::vector<INT_PTR> results;
        for (const Seen& seen : cards::Shown(machine, Seen::Kind::DialogClosed)) {
            results.push_back(seen.result);
        }
        return results;
    }
    // Where in the transcript the first message box, notice and chooser appeared (-1: never).
    int FirstMessageBox() const {
        return First([](const Seen& s) { return s.kind == Seen::Kind::MessageBox; });
    }
    int FirstNotice() const {
        return First([](const Seen& s) { return IsDialog(s, IDC_DEVICE_DESC, false); });
    }
    int FirstChooser() const {
        return First([](const Seen& s) { return IsDialog(s, IDC_DEVICE_COMBO, true); });
    }

    static bool IsDialog(const Seen& seen, int controlId, bool withCancel) {
        return seen.kind == Seen::Kind::Dialog && seen.Control(controlId) != nullptr &&
               (seen.Control(IDCANCEL) != nullptr) == withCancel;
    }
    template <typename Predicate>
    int First(Predicate predicate) const {
        for (size_t i = 0; i < machine.seen.size(); ++i) {
            if (predicate(machine.seen[i])) return static_cast<int>(i);
        }
        return -1;
    }
};

TEST_F(RoadFlowTest, OneCardOkOkRemovesIt) {
    AddCard(machine, 1);

    RunProgram({Action::PressOk, Action::PressOk});

    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(1)}));
    std::vector<Seen> choosers = Choosers();
    ASSERT_EQ(choosers.size(), 1u) << machine.Transcript();
    EXPECT_EQ(choosers[0].Control(IDC_DEVICE_COMBO)->text, cards::kDescription);
    EXPECT_EQ(choosers[0].Control(IDC_DEVICE_COMBO)->listCount, 0);
    EXPECT_EQ(choosers[0].focusId, IDOK);
    std::vector<Seen> confirmations = Confirmations();
    ASSERT_EQ(confirmations.size(), 1u) << machine.Transcript();
    EXPECT_EQ(confirmations[0].Control(IDC_DEVICE_DESC)->text, cards::kDescription);
    EXPECT_EQ(confirmations[0].bigIconId, IDR_MAINFRAME);
    EXPECT_EQ(confirmations[0].smallIconId, IDR_MAINFRAME);
    EXPECT_EQ(Results(), (std::vector<INT_PTR>{IDOK, IDOK}));
    EXPECT_TRUE(cards::Shown(machine, Seen::Kind::MessageBox).empty()) << machine.Transcript();
}

TEST_F(RoadFlowTest, TheDefaultMachineLosesItsOneCardAndNothingElse) {
    sim::BuildDefaultMachine(machine);

    RunProgram({Action::PressOk, Action::PressOk});

    ASSERT_EQ(Choosers().size(), 1u) << machine.Transcript();
    EXPECT_EQ(Choosers()[0].Control(IDC_DEVICE_COMBO)->text, "Marlek TAVRO 2000 PCI Adapter");
    EXPECT_EQ(machine.removed,
              (std::vector<std::string>{
                  "PCI\\VEN_1A7E&DEV_2000&SUBSYS_00011A7E&REV_02\\4&2F3C1A8E&0&20F0"}));
    EXPECT_TRUE(cards::Shown(machine, Seen::Kind::MessageBox).empty()) << machine.Transcript();
}

TEST_F(RoadFlowTest, AUserWithoutPrivilegesIsWarnedTwiceAndOkStillRemoves) {
    AddCard(machine, 1);
    machine.Key(cards::kClassKey).denyFullAccess = true;

    RunProgram({Action::PressOk, Action::PressOk, Action::PressOk, Action::PressOk});

    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(1)}));
    EXPECT_EQ(cards::CountMessageBoxes(machine, cards::kNoPrivileges), 2) << machine.Transcript();
    ASSERT_EQ(Choosers().size(), 1u);
    EXPECT_EQ(Choosers()[0].Control(IDC_DEVICE_COMBO)->text, "");
    ASSERT_EQ(Confirmations().size(), 1u);
    EXPECT_EQ(Confirmations()[0].Control(IDC_DEVICE_DESC)->text, "");
    // Each warning comes while its dialog initialises, before the dialog is shown.
    EXPECT_LT(FirstMessageBox(), FirstChooser());
}

struct MissingDescriptionCase {
    const char* name;
    std::optional<std::string> description;  // none: no "DriverDesc" value at all
    Action leave;
};

void PrintTo(const MissingDescriptionCase& c, std::ostream* os) {
    *os << c.name;
}

class MissingDescriptionTest : public RoadFlowTest,
                               public ::testing::WithParamInterface<MissingDescriptionCase> {};

TEST_P(MissingDescriptionTest, ShowsTheNoticeFirstAndThenAChooserWhoseOkDoesNothing) {
    const MissingDescriptionCase& c = GetParam();
    sim::Device& card = AddCard(machine, 1, c.description.value_or(""));
    if (!c.description) {
        machine.Key(std::string(cards::kClassKey) + "\\" + *card.driverKey).values.clear();
    }

    RunProgram({Action::PressOk, Action::PressOk, Action::PressOk, Action::Enter, c.leave});

    EXPECT_TRUE(machine.removed.empty());
    ASSERT_EQ(Notices().size(), 1u) << machine.Transcript();
    ASSERT_EQ(Choosers().size(), 1u) << machine.Transcript();
    EXPECT_LT(FirstNotice(), FirstChooser());
    EXPECT_EQ(Choosers()[0].Control(IDC_DEVICE_COMBO)->text, "");
    EXPECT_TRUE(Confirmations().empty());
    EXPECT_EQ(Results().back(), IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, MissingDescriptionTest,
    ::testing::Values(MissingDescriptionCase{"NoValueCancel", std::nullopt, Action::PressCancel},
                      MissingDescriptionCase{"Needs129BytesEscape", std::string(128, 'D'),
                                             Action::Escape},
                      MissingDescriptionCase{"NoValueCloseBox", std::nullopt, Action::CloseBox}),
    [](const ::testing::TestParamInfo<MissingDescriptionCase>& info) {
        return std::string(info.param.name);
    });

// The discovery passes of a run: start-up, chooser, confirmation, removal.
struct DiscoveryFailureCase {
    const char* name;
    int failingPass;
    const char* chooserText;
    const char* confirmationText;
};

void PrintTo(const DiscoveryFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class DiscoveryFailureTest : public RoadFlowTest,
                             public ::testing::WithParamInterface<DiscoveryFailureCase> {};

TEST_P(DiscoveryFailureTest, LeavesTheDescriptionEmptyWithoutAMessageAndOkStillRemoves) {
    const DiscoveryFailureCase& c = GetParam();
    AddCard(machine, 1);
    machine.FailCall("SetupDiGetClassDevsA", c.failingPass, ERROR_NOT_ENOUGH_MEMORY, "flags=0x4");

    RunProgram({Action::PressOk, Action::PressOk});

    EXPECT_TRUE(cards::Shown(machine, Seen::Kind::MessageBox).empty()) << machine.Transcript();
    ASSERT_EQ(Choosers().size(), 1u) << machine.Transcript();
    EXPECT_EQ(Choosers()[0].Control(IDC_DEVICE_COMBO)->text, c.chooserText);
    EXPECT_EQ(Choosers()[0].focusId, IDOK);
    ASSERT_EQ(Confirmations().size(), 1u) << machine.Transcript();
    EXPECT_EQ(Confirmations()[0].Control(IDC_DEVICE_DESC)->text, c.confirmationText);
    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(1)}));
}

INSTANTIATE_TEST_SUITE_P(
    Passes, DiscoveryFailureTest,
    ::testing::Values(DiscoveryFailureCase{"InTheChooser", 2, "", cards::kDescription},
                      DiscoveryFailureCase{"InTheConfirmation", 3, cards::kDescription, ""}),
    [](const ::testing::TestParamInfo<DiscoveryFailureCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(RoadFlowTest, ADescriptionOf127CharactersIsShownWhole) {
    const std::string description(127, 'D');
    AddCard(machine, 1, description);

    RunProgram({Action::PressOk, Action::PressOk});

    ASSERT_EQ(Choosers().size(), 1u);
    EXPECT_EQ(Choosers()[0].Control(IDC_DEVICE_COMBO)->text, description);
    ASSERT_EQ(Confirmations().size(), 1u);
    EXPECT_EQ(Confirmations()[0].Control(IDC_DEVICE_DESC)->text, description);
    EXPECT_EQ(machine.removed, (std::vector<std::string>{CardInstance(1)}));
}

class LeavingConfirmationTest : public RoadFlowTest,
                                public ::testing::WithParamInterface<Action> {};

TEST_P(LeavingConfirmationTest, RemovesNothingAndTheChooserStillEndsWithOk) {
    AddCard(machine, 1);

    RunProgram({Action::PressOk, GetParam()});

    EXPECT_TRUE(machine.removed.empty());
    EXPECT_EQ(Results(), (std::vector<INT_PTR>{IDCANCEL, IDOK}));
}

INSTANTIATE_TEST_SUITE_P(Ways, LeavingConfirmationTest,
                         ::testing::Values(Action::PressCancel, Action::Escape, Action::CloseBox));

// ---------------------------------------------------------------------------------------------
// The confirmation on its own.

class ConfirmationTest : public SimTest {
protected:
    CWinApp app_;
};

struct UnknownDriverCase {
    LCID locale;
    const char* text;
};

void PrintTo(const UnknownDriverCase& c, std::ostream* os) {
    *os << std::hex << c.locale;
}

class UnknownDriverTest : public ConfirmationTest,
                          public ::testing::WithParamInterface<UnknownDriverCase> {};

TEST_P(UnknownDriverTest, StandsInForAMissingDescription) {
    sim::Device& card = AddCard(machine, 1);
    machine.Key(std::string(cards::kClassKey) + "\\" + *card.driverKey).values.clear();
    machine.threadLocale = GetParam().locale;
    machine.Then(Action::PressCancel);

    CConfirmRemovalDlg confirmation;
    EXPECT_EQ(confirmation.DoModal(), IDCANCEL);

    std::vector<Seen> shown = cards::Shown(machine, Seen::Kind::Dialog);
    ASSERT_EQ(shown.size(), 1u) << machine.Transcript();
    EXPECT_EQ(shown[0].Control(IDC_DEVICE_DESC)->text, GetParam().text);
    EXPECT_EQ(shown[0].focusId, IDOK);
    EXPECT_TRUE(machine.removed.empty());
    ExpectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(Languages, UnknownDriverTest,
                         ::testing::Values(UnknownDriverCase{0x0409, kUnknownDriver},
                                           UnknownDriverCase{0x0407,
                                                             "Unbekannter Ger\xE4te Treiber"}));

struct MinimisedCase {
    RECT client;
    int x, y;
};

void PrintTo(const MinimisedCase& c, std::ostream* os) {
    *os << c.client.right << "x" << c.client.bottom;
}

class MinimisedIconTest : public ConfirmationTest,
                          public ::testing::WithParamInterface<MinimisedCase> {};

TEST_P(MinimisedIconTest, IsDrawnCentredTruncatingTowardZero) {
    AddCard(machine, 1);
    machine.minimisedClientRect = GetParam().client;
    machine.Then(Action::Minimise).Then(Action::Restore).Then(Action::PressCancel);

    CConfirmRemovalDlg confirmation;
    confirmation.DoModal();

    std::vector<Seen> drawn = cards::Shown(machine, Seen::Kind::IconDrawn);
    ASSERT_FALSE(drawn.empty()) << machine.Transcript();
    EXPECT_EQ(drawn[0].x, GetParam().x);
    EXPECT_EQ(drawn[0].y, GetParam().y);
    EXPECT_EQ(drawn[0].iconId, IDR_MAINFRAME);
    ExpectAllReleased();
}

INSTANTIATE_TEST_SUITE_P(ClientAreas, MinimisedIconTest,
                         ::testing::Values(MinimisedCase{{0, 0, 100, 50}, 34, 9},
                                           MinimisedCase{{0, 0, 0, 0}, -15, -15}));

TEST_F(ConfirmationTest, GivesTheApplicationIconForDragging) {
    CConfirmRemovalDlg confirmation;
    EXPECT_EQ(sim::IconResourceId(confirmation.OnQueryDragIcon()), IDR_MAINFRAME);
}

}  // namespace
