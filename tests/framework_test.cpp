// The dialog class layer on the simulated window system: message-map routing, modal results,
// nested dialogs, painting and the ends of a dialog.
#include <functional>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "platform/sim/machine.h"
#include "tests/dialog_template.h"
#include "tests/sim_test.h"

namespace {

using sim::Action;
using sim::Seen;

const int kProbeIcon = 0x5A;

// A dialog that records which of its handlers ran; tests hook extra work into them.
class CProbeDlg : public CDialog {
public:
    explicit CProbeDlg(DialogTemplate& dialogTemplate) : CDialog(0) {
        InitModalIndirect(dialogTemplate.Get());
    }

    std::vector<std::string> handled;
    std::function<BOOL()> onInit = [] { return TRUE; };
    std::function<void()> onOk = [] {};
    HICON m_hIcon = reinterpret_cast<HICON>(static_cast<ULONG_PTR>(kProbeIcon));

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        handled.push_back("OnInitDialog");
        return onInit();
    }
    void OnOK() override {
        handled.push_back("OnOK");
        onOk();
        CDialog::OnOK();
    }
    void OnCancel() override {
        handled.push_back("OnCancel");
        CDialog::OnCancel();
    }
    void OnPaint() {
        handled.push_back(IsIconic() ? "OnPaint iconic" : "OnPaint");
        if (!IsIconic()) {
            Default();
            return;
        }
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)), 0);
        DrawIcon(dc, 3, 4, m_hIcon);
    }
    HCURSOR OnQueryDragIcon() { return m_hIcon; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

class FrameworkTest : public SimTest {
protected:
    DialogTemplate notice_ = std::move(DialogTemplate("Notice").Ok());
    DialogTemplate question_ = std::move(DialogTemplate("Question").Ok().Cancel());
};

std::vector<Seen::Kind> Kinds(const std::vector<Seen>& seen) {
    std::vector<Seen::Kind> kinds;
    for (const Seen& event : seen) kinds.push_back(event.kind);
    return kinds;
}

TEST_F(FrameworkTest, EachWayOfClosingReachesItsHandlerAndEndsWithItsCode) {
    struct Case {
        Action action;
        const char* handler;
        INT_PTR result;
    };
    const Case kCases[] = {
        {Action::PressOk, "OnOK", IDOK},
        {Action::Enter, "OnOK", IDOK},
        {Action::PressCancel, "OnCancel", IDCANCEL},
        {Action::Escape, "OnCancel", IDCANCEL},
        {Action::CloseBox, "OnCancel", IDCANCEL},
    };
    for (const Case& row : kCases) {
        machine.script = {row.action};
        CProbeDlg dialog(question_);
        EXPECT_EQ(dialog.DoModal(), row.result) << row.handler << " row";
        EXPECT_EQ(dialog.handled,
                  (std::vector<std::string>{"OnInitDialog", "OnPaint", row.handler}))
            << row.handler << " row";
        EXPECT_EQ(machine.seen.back().kind, Seen::Kind::DialogClosed);
        EXPECT_EQ(machine.seen.back().result, row.result);
    }
}

TEST_F(FrameworkTest, ShowsTheTemplateWithTheFocusOnTheFirstTabStop) {
    DialogTemplate form("Form");
    form.Control(-1, DialogTemplate::kStatic, "Prompt", DialogTemplate::kTextStyle)
        .Control(1002, DialogTemplate::kComboBox, "", 0x50210102)
        .Ok();
    machine.Then(Action::PressOk);
    CProbeDlg dialog(form);
    dialog.onInit = [&] {
        dialog.SetDlgItemText(1002, "Card");
        return TRUE;
    };
    dialog.DoModal();

    ASSERT_EQ(Kinds(machine.seen),
              (std::vector<Seen::Kind>{Seen::Kind::Dialog, Seen::Kind::UserAction,
                                       Seen::Kind::DialogClosed}));
    EXPECT_EQ(machine.Transcript(),
              "dialog \"Form\" focus=1002 | -1 Static \"Prompt\" | 1002 ComboBox \"Card\" list=0 | "
              "1 Button \"OK\"\n"
              "user: OK\n"
              "closed \"Form\" IDOK\n");
}

TEST_F(FrameworkTest, InitialisationReturningFalseLeavesTheFocusUnset) {
    machine.Then(Action::PressOk);
    CProbeDlg dialog(notice_);
    dialog.onInit = [] { return FALSE; };
    dialog.DoModal();
    EXPECT_EQ(machine.seen.front().focusId, 0);
}

TEST_F(FrameworkTest, EndDialogWhileInitialisingEndsWithoutShowing) {
    CProbeDlg dialog(notice_);
    dialog.onInit = [&] {
        dialog.EndDialog(7);
        return TRUE;
    };
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_TRUE(machine.seen.empty()) << machine.Transcript();
}

TEST_F(FrameworkTest, MissingTemplateGivesMinusOneAndShowsNothing) {
    CDialog dialog(9999);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_TRUE(machine.seen.empty()) << machine.Transcript();
}

TEST_F(FrameworkTest, NestedDialogRunsInsideItsOpenerAndOwnsTheNextAnswers) {
    machine.Then(Action::PressOk).Then(Action::Escape).Then(Action::PressCancel);
    CProbeDlg outer(question_);
    INT_PTR innerResult = 0;
    outer.onOk = [&] {
        CProbeDlg inner(notice_);
        innerResult = inner.DoModal();
    };
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_EQ(innerResult, IDCANCEL);
    EXPECT_EQ(machine.Transcript(),
              "dialog \"Question\" focus=1 | 1 Button \"OK\" | 2 Button \"Cancel\"\n"
              "user: OK\n"
              "dialog \"Notice\" focus=1 | 1 Button \"OK\"\n"
              "user: Escape\n"
              "closed \"Notice\" IDCANCEL\n"
              "closed \"Question\" IDOK\n");
    EXPECT_EQ(machine.script.size(), 1u) << "the outer dialog ended with answers left";
}

TEST_F(FrameworkTest, DialogOpenedWhileInitialisingComesBeforeItsOpener) {
    machine.Then(Action::PressOk).Then(Action::PressOk).Then(Action::CloseBox);
    CProbeDlg outer(question_);
    outer.onInit = [&] {
        CProbeDlg inner(notice_);
        inner.DoModal();
        outer.MessageBox("Text", "Caption", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    };
    outer.DoModal();
    EXPECT_EQ(machine.Transcript(),
              "dialog \"Notice\" focus=1 | 1 Button \"OK\"\n"
              "user: OK\n"
              "closed \"Notice\" IDOK\n"
              "message box \"Caption\": \"Text\" (0x30) owner \"Question\"\n"
              "user: OK\n"
              "dialog \"Question\" focus=0 | 1 Button \"OK\" | 2 Button \"Cancel\"\n"
              "user: close box\n"
              "closed \"Question\" IDCANCEL\n");
}

TEST_F(FrameworkTest, MessageBoxWithoutCaptionIsCaptionedError) {
    machine.Then(Action::Enter).Then(Action::PressOk);
    CProbeDlg dialog(notice_);
    int answer = 0;
    dialog.onInit = [&] {
        answer = dialog.MessageBox("Text");
        return TRUE;
    };
    dialog.DoModal();
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(machine.seen.front().caption, "Error");
    EXPECT_EQ(machine.seen.front().style, static_cast<UINT>(MB_OK));
}

TEST_F(FrameworkTest, MinimisedDialogPaintsItselfAndRestoredOneGetsDefaultPainting) {
    machine.iconSize = 32;
    machine.Then(Action::Minimise).Then(Action::Restore).Then(Action::PressOk);
    CProbeDlg dialog(notice_);
    dialog.DoModal();

    EXPECT_EQ(dialog.handled, (std::vector<std::string>{"OnInitDialog", "OnPaint", "OnPaint iconic",
                                                        "OnPaint", "OnOK"}));
    int defaultPaints = 0;
    for (const sim::Call& call : machine.calls) {
        defaultPaints += call.function == "DefWindowProcA" && call.detail == "WM_PAINT";
    }
    EXPECT_EQ(defaultPaints, 2) << "the two plain paints went to default handling";
    EXPECT_EQ(machine.CountCalls("BeginPaint"), 3);
    EXPECT_EQ(machine.CountCalls("EndPaint"), 3);
    const Seen& drawn = machine.seen[2];
    ASSERT_EQ(drawn.kind, Seen::Kind::IconDrawn) << machine.Transcript();
    EXPECT_EQ(drawn.x, 3);
    EXPECT_EQ(drawn.y, 4);
}

TEST_F(FrameworkTest, DragIconQueryIsAnsweredWithTheHandlersIcon) {
    machine.Then(Action::PressOk);
    CProbeDlg dialog(notice_);
    LRESULT dragIcon = 0;
    dialog.onInit = [&] {
        dragIcon = dialog.SendMessage(WM_QUERYDRAGICON);
        return TRUE;
    };
    dialog.DoModal();
    EXPECT_EQ(dragIcon, kProbeIcon);
}

TEST_F(FrameworkTest, IconsSetOnTheWindowAreReadBackAndShown) {
    machine.Then(Action::PressOk);
    CProbeDlg dialog(notice_);
    LRESULT bigIcon = 0;
    dialog.onInit = [&] {
        dialog.SetIcon(dialog.m_hIcon, TRUE);
        dialog.SetIcon(dialog.m_hIcon, FALSE);
        bigIcon = dialog.SendMessage(WM_GETICON, ICON_BIG);
        return TRUE;
    };
    dialog.DoModal();
    EXPECT_EQ(bigIcon, kProbeIcon);
}

TEST_F(FrameworkTest, ScriptThatRunsOutFailsLoudlyAndCancelsTheDialog) {
    std::vector<std::string> failures;
    sim::SetFailureHandler([&](const std::string& what) { failures.push_back(what); });
    CProbeDlg dialog(notice_);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    sim::SetFailureHandler([](const std::string& what) { ADD_FAILURE() << what; });
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("no answer left"), std::string::npos) << failures[0];
}

TEST_F(FrameworkTest, CommandsRouteThroughTheBaseMapsAndTheApplicationMapHasHelp) {
    CProbeDlg dialog(notice_);
    EXPECT_NE(dialog.FindMessageEntry(WM_PAINT, 0), nullptr) << "own entry";
    EXPECT_NE(dialog.FindMessageEntry(WM_COMMAND, IDCANCEL), nullptr) << "CDialog's entry";
    EXPECT_EQ(dialog.FindMessageEntry(WM_COMMAND, 1002), nullptr);
    CWinApp app;
    EXPECT_NE(app.FindMessageEntry(WM_COMMAND, 0xE146), nullptr);
    EXPECT_EQ(AfxGetApp(), &app);
}

}  // namespace
