// The simulated window system: modal dialogs built from their extended templates, their
// controls, message boxes, icons and painting, answered by the machine's scripted user. Every
// dialog that becomes visible, every message box, every user action and every end is recorded
// in machine.seen.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/sim/internals.h"
#include "platform/sim/machine.h"

namespace sim {
namespace {

// The dialog font of every template: 8 point "MS Sans Serif", whose average character is
// 6 by 13 pixels. A horizontal dialog unit is a quarter of the width, a vertical one an eighth
// of the height.
const int kBaseUnitX = 6;
const int kBaseUnitY = 13;
const char kDialogFont[] = "MS Sans Serif";
const int kDialogFontPoints = 8;

// A dialog that takes more answers than this never ends; the test is told so and the dialog
// is closed.
const int kMaxActionsPerDialog = 64;

const DWORD kErrorControlIdNotFound = 1421;

// Predefined window-class ordinals of the dialog template.
const WORD kButtonClass = 0x0080;
const WORD kStaticClass = 0x0082;
const WORD kComboBoxClass = 0x0085;

WindowsState& State() {
    return Current().internals().windows;
}

SimWindow* FindWindow(HWND hWnd) {
    auto found = State().windows.find(hWnd);
    return found == State().windows.end() ? nullptr : found->second.get();
}

// A dialog of the modal stack, or a loud failure naming the call that was given something else.
SimWindow* DialogOf(HWND hWnd, const char* function) {
    SimWindow* window = FindWindow(hWnd);
    if (window == nullptr || !window->isDialog) {
        Fail(std::string(function) + " was given a handle that is no dialog");
        return nullptr;
    }
    return window;
}

SimWindow* ControlOf(const SimWindow& dialog, int id) {
    for (HWND hControl : dialog.controls) {
        SimWindow* control = FindWindow(hControl);
        if (control->id == id) return control;
    }
    return nullptr;
}

HWND ControlHandle(const SimWindow& dialog, int id) {
    SimWindow* control = ControlOf(dialog, id);
    return control != nullptr ? control->handle : nullptr;
}

SimWindow& NewWindow(HWND parent) {
    WindowsState& state = State();
    HWND handle = reinterpret_cast<HWND>(state.nextHandle);
    state.nextHandle += 0x10;
    auto window = std::make_unique<SimWindow>();
    window->handle = handle;
    window->parent = parent;
    SimWindow& created = *window;
    state.windows[handle] = std::move(window);
    return created;
}

int MulDiv(int value, int numerator, int denominator) {
    return (value * numerator + denominator / 2) / denominator;
}

RECT DialogClientRect(const SimWindow& dialog) {
    if (dialog.iconic) return Current().minimisedClientRect;
    return RECT{0, 0, MulDiv(dialog.cx, kBaseUnitX, 4), MulDiv(dialog.cy, kBaseUnitY, 8)};
}

// ---------------------------------------------------------------------------------------------
// The extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items).

class TemplateReader {
public:
    explicit TemplateReader(const void* bytes) : base_(static_cast<const BYTE*>(bytes)) {}

    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    BYTE Byte() { return Read<BYTE>(); }
    void AlignDword() { offset_ = (offset_ + 3) & ~static_cast<std::size_t>(3); }
    void Skip(std::size_t bytes) { offset_ += bytes; }

    // A NUL-terminated UTF-16 text, as ANSI; the program's texts all lie in U+0020 to U+00FF.
    std::string Text() {
        std::string text;
        for (WORD unit = Word(); unit != 0; unit = Word()) {
            if (unit > 0xFF) Fail("a template text holds a character outside code page 1252");
            text += static_cast<char>(unit);
        }
        return text;
    }

    // A field that is empty (0), an ordinal (0xFFFF and a number) or a text.
    std::string TextOrOrdinal(int* ordinal) {
        *ordinal = 0;
        WORD first = Word();
        if (first == 0) return std::string();
        if (first == 0xFFFF) {
            *ordinal = Word();
            return std::string();
        }
        offset_ -= sizeof(WORD);
        return Text();
    }

private:
    template <typename T>
    T Read() {
        T value;
        std::memcpy(&value, base_ + offset_, sizeof value);
        offset_ += sizeof value;
        return value;
    }

    const BYTE* base_;
    std::size_t offset_ = 0;
};

const char* ClassName(WORD classOrdinal) {
    switch (classOrdinal) {
        case kButtonClass:
            return "Button";
        case kStaticClass:
            return "Static";
        case kComboBoxClass:
            return "ComboBox";
        default:
            return nullptr;
    }
}

bool ReadDialogFont(TemplateReader& reader) {
    int points = reader.Word();
    reader.Word();  // weight
    reader.Byte();  // italic
    reader.Byte();  // character set
    std::string face = reader.Text();
    if (points != kDialogFontPoints || face != kDialogFont) {
        Fail("dialog font \"" + face + "\" " + std::to_string(points) + " pt is not simulated");
        return false;
    }
    return true;
}

bool ReadControl(TemplateReader& reader, SimWindow& dialog) {
    reader.AlignDword();
    SimWindow& control = NewWindow(dialog.handle);
    dialog.controls.push_back(control.handle);
    reader.Dword();  // help id
    reader.Dword();  // extended style
    control.style = reader.Dword();
    control.x = reader.Short();
    control.y = reader.Short();
    control.cx = reader.Short();
    control.cy = reader.Short();
    control.id = static_cast<int>(reader.Dword());
    int classOrdinal = 0;
    reader.TextOrOrdinal(&classOrdinal);
    const char* className = ClassName(static_cast<WORD>(classOrdinal));
    if (className == nullptr) {
        Fail("a dialog control of class ordinal " + std::to_string(classOrdinal) +
             " is not simulated");
        return false;
    }
    control.windowClass = className;
    control.text = reader.TextOrOrdinal(&control.imageId);
    reader.Skip(reader.Word());  // creation data
    return true;
}

void DestroyWindows(SimWindow& dialog) {
    WindowsState& state = State();
    for (HWND hControl : dialog.controls) state.windows.erase(hControl);
    state.windows.erase(dialog.handle);
}

// The language of the program's dialog template at these bytes, from the resource loader's index;
// 0 for a template from elsewhere.
WORD TemplateLanguage(const void* bytes) {
    for (const ResourceEntry& entry : Current().internals().resources.entries) {
        if (entry.type == LOWORD(RT_DIALOG) && entry.data == bytes) return entry.language;
    }
    return 0;
}

// Builds the dialog window and its controls; nullptr (after a failure report) when the template
// is not one the simulation models.
SimWindow* CreateDialogWindow(const void* bytes, HWND owner, DLGPROC dialogProc) {
    TemplateReader reader(bytes);
    WORD version = reader.Word();
    WORD signature = reader.Word();
    if (version != 1 || signature != 0xFFFF) {
        Fail("only extended dialog templates are simulated");
        return nullptr;
    }
    SimWindow& dialog = NewWindow(owner);
    dialog.isDialog = true;
    dialog.dialogProc = dialogProc;
    reader.Dword();  // help id
    reader.Dword();  // extended style
    dialog.style = reader.Dword();
    WORD controlCount = reader.Word();
    reader.Short();
    reader.Short();
    dialog.cx = reader.Short();
    dialog.cy = reader.Short();
    int menu = 0, windowClass = 0;
    bool plain = reader.TextOrOrdinal(&menu).empty() && menu == 0;
    plain = reader.TextOrOrdinal(&windowClass).empty() && windowClass == 0 && plain;
    if (!plain) Fail("dialog templates with a menu or a window class are not simulated");
    dialog.text = reader.Text();
    bool ok = plain && ((dialog.style & DS_SETFONT) == 0 || ReadDialogFont(reader));
    for (WORD i = 0; ok && i < controlCount; ++i) ok = ReadControl(reader, dialog);
    if (!ok) {
        DestroyWindows(dialog);
        return nullptr;
    }
    dialog.templateLanguage = TemplateLanguage(bytes);
    State().modalStack.push_back(dialog.handle);
    return &dialog;
}

void DestroyDialog(SimWindow& dialog) {
    State().modalStack.pop_back();
    DestroyWindows(dialog);
}

// ---------------------------------------------------------------------------------------------
// Messages to a dialog: its procedure first, the dialog manager's default handling after.

LRESULT SendToDialog(SimWindow& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR handled = dialog.dialogProc(dialog.handle, message, wParam, lParam);
    if (handled != 0) return message == WM_QUERYDRAGICON ? handled : 0;
    // The dialog manager turns a close request into the Cancel command.
    if (message == WM_CLOSE) {
        return SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                            reinterpret_cast<LPARAM>(ControlHandle(dialog, IDCANCEL)));
    }
    return DefWindowProcA(dialog.handle, message, wParam, lParam);
}

void SendCommand(SimWindow& dialog, int id) {
    SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ControlHandle(dialog, id)));
}

void Paint(SimWindow& dialog) {
    SendToDialog(dialog, WM_PAINT, 0, 0);
    if (dialog.paintDc != nullptr) Fail("\"" + dialog.text + "\" began painting and never ended");
}

std::string MessageName(UINT message) {
    switch (message) {
        case WM_PAINT:
            return "WM_PAINT";
        case WM_SIZE:
            return "WM_SIZE";
        case WM_ICONERASEBKGND:
            return "WM_ICONERASEBKGND";
        case WM_SYSCOMMAND:
            return "WM_SYSCOMMAND";
        default:
            return std::to_string(message);
    }
}

LRESULT TextMessage(SimWindow& window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        const char* text = reinterpret_cast<const char*>(lParam);
        window.text = text != nullptr ? text : "";
        return TRUE;
    }
    if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(window.text.size());
    // WM_GETTEXT: as much as fits with its NUL.
    char* buffer = reinterpret_cast<char*>(lParam);
    if (wParam == 0) return 0;
    std::size_t count = window.text.copy(buffer, wParam - 1);
    buffer[count] = '\0';
    return static_cast<LRESULT>(count);
}

LRESULT IconMessage(SimWindow& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (wParam != ICON_SMALL && wParam != ICON_BIG) {
        Fail("only ICON_SMALL and ICON_BIG are simulated");
        return 0;
    }
    HICON previous = dialog.icons[wParam];
    if (message == WM_SETICON) dialog.icons[wParam] = reinterpret_cast<HICON>(lParam);
    return reinterpret_cast<LRESULT>(previous);
}

LRESULT ControlMessage(SimWindow& control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            return TextMessage(control, message, wParam, lParam);
        case CB_GETCOUNT:
            if (control.windowClass == "ComboBox") return control.listCount;
            break;
    }
    Fail("message " + std::to_string(message) + " to a " + control.windowClass +
         " control is not simulated");
    return 0;
}

// ---------------------------------------------------------------------------------------------
// What the user sees and does.

int IconId(HICON icon) {
    return icon != nullptr ? IconResourceId(icon) : 0;
}

int FirstTabStopId(const SimWindow& dialog) {
    for (HWND hControl : dialog.controls) {
        const SimWindow* control = FindWindow(hControl);
        if ((control->style & WS_TABSTOP) != 0) return control->id;
    }
    return 0;
}

void RecordDialog(const SimWindow& dialog, int focusId) {
    Seen seen;
    seen.kind = Seen::Kind::Dialog;
    seen.title = dialog.text;
    for (HWND hControl : dialog.controls) {
        const SimWindow& c = *FindWindow(hControl);
        seen.controls.push_back(ControlView{c.id, c.windowClass, c.style, c.text, c.x, c.y, c.cx,
                                            c.cy, c.imageId, c.listCount});
    }
    seen.focusId = focusId;
    seen.bigIconId = IconId(dialog.icons[ICON_BIG]);
    seen.smallIconId = IconId(dialog.icons[ICON_SMALL]);
    seen.templateLanguage = dialog.templateLanguage;
    Current().seen.push_back(seen);
}

void Show(SimWindow& dialog, BOOL setDefaultFocus) {
    dialog.visible = true;
    RecordDialog(dialog, setDefaultFocus ? FirstTabStopId(dialog) : 0);
    Paint(dialog);
}

void SetIconic(SimWindow& dialog, bool iconic) {
    if (dialog.iconic == iconic) {
        Fail("\"" + dialog.text + "\" is already " + (iconic ? "minimised" : "restored"));
        return;
    }
    dialog.iconic = iconic;
    RECT client = DialogClientRect(dialog);
    LPARAM size = iconic ? 0 : static_cast<LPARAM>(MAKEWPARAM(client.right, client.bottom));
    SendToDialog(dialog, WM_SIZE, iconic ? SIZE_MINIMIZED : SIZE_RESTORED, size);
    Paint(dialog);
}

void ClickButton(SimWindow& dialog, int id, const char* name) {
    SimWindow* button = ControlOf(dialog, id);
    if (button == nullptr || button->windowClass != "Button") {
        Fail("\"" + dialog.text + "\" has no " + name + " button to press");
        return;
    }
    SendCommand(dialog, id);
}

// Enter presses the default push button; a dialog without one gets the OK command.
int DefaultButtonId(const SimWindow& dialog) {
    for (HWND hControl : dialog.controls) {
        const SimWindow* control = FindWindow(hControl);
        bool pushButton = control->windowClass == "Button";
        if (pushButton && (control->style & 0xF) == BS_DEFPUSHBUTTON) return control->id;
    }
    return IDOK;
}

void Perform(SimWindow& dialog, Action action) {
    switch (action) {
        case Action::PressOk:
            return ClickButton(dialog, IDOK, "OK");
        case Action::PressCancel:
            return ClickButton(dialog, IDCANCEL, "Cancel");
        case Action::Enter:
            return SendCommand(dialog, DefaultButtonId(dialog));
        case Action::Escape:
            return SendCommand(dialog, IDCANCEL);
        case Action::CloseBox:
            if ((dialog.style & WS_SYSMENU) == 0) {
                Fail("\"" + dialog.text + "\" has no close box");
                return;
            }
            SendToDialog(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        case Action::Minimise:
            return SetIconic(dialog, true);
        case Action::Restore:
            return SetIconic(dialog, false);
    }
}

// Takes the scripted user's next answer; none left fails the test.
bool NextAction(const std::string& waiting, Action* action) {
    Machine& machine = Current();
    if (machine.script.empty()) {
        Fail("the scripted user has no answer left for " + waiting);
        return false;
    }
    *action = machine.script.front();
    machine.script.pop_front();
    Seen seen;
    seen.kind = Seen::Kind::UserAction;
    seen.title = waiting;
    seen.action = *action;
    machine.seen.push_back(seen);
    return true;
}

// The dialog's modal loop. A script that runs out or never ends the dialog is reported, and the
// dialog is then cancelled so that no test hangs.
void RunModalLoop(SimWindow& dialog) {
    while (!dialog.ended) {
        Action action;
        if (++dialog.actions > kMaxActionsPerDialog) {
            Fail("\"" + dialog.text + "\" did not end after " +
                 std::to_string(kMaxActionsPerDialog) + " user actions");
        } else if (NextAction("\"" + dialog.text + "\"", &action)) {
            Perform(dialog, action);
            continue;
        }
        dialog.ended = true;
        dialog.result = IDCANCEL;
    }
}

INT_PTR RunDialog(SimWindow& dialog, LPARAM initParam) {
    HWND hFocus = ControlHandle(dialog, FirstTabStopId(dialog));
    BOOL setDefaultFocus = static_cast<BOOL>(dialog.dialogProc(
        dialog.handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(hFocus), initParam));
    // EndDialog while initialising ends the dialog before it is ever shown.
    if (dialog.ended) return dialog.result;
    Show(dialog, setDefaultFocus);
    RunModalLoop(dialog);
    Seen closed;
    closed.kind = Seen::Kind::DialogClosed;
    closed.title = dialog.text;
    closed.result = dialog.result;
    Current().seen.push_back(closed);
    return dialog.result;
}

// A message box offers OK alone; OK, Enter, Escape and the close box all answer IDOK.
int AnswerMessageBox(const std::string& caption) {
    Action action;
    if (!NextAction("message box \"" + caption + "\"", &action)) return IDOK;
    if (action == Action::PressCancel || action == Action::Minimise || action == Action::Restore) {
        Fail("message box \"" + caption + "\" offers OK only");
    }
    return IDOK;
}

SimWindow* PaintingDialog(HDC hDC, const char* function) {
    for (auto& entry : State().windows) {
        if (hDC != nullptr && entry.second->paintDc == hDC) return entry.second.get();
    }
    Fail(std::string(function) + " was given a device context that is not painting");
    return nullptr;
}

}  // namespace
}  // namespace sim

using sim::Current;
using sim::SimWindow;

extern "C" {

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    if (hDialogTemplate == nullptr || lpDialogFunc == nullptr) {
        sim::Fail("DialogBoxIndirectParamA needs a template and a dialog procedure");
        return -1;
    }
    if (hWndParent != nullptr && sim::DialogOf(hWndParent, "DialogBoxIndirectParamA") == nullptr) {
        return -1;
    }
    SimWindow* dialog = sim::CreateDialogWindow(hDialogTemplate, hWndParent, lpDialogFunc);
    if (dialog == nullptr) return -1;
    if (std::optional<DWORD> error = Current().Enter("DialogBoxIndirectParamA", dialog->text)) {
        sim::DestroyDialog(*dialog);
        Current().lastError = *error;
        return -1;
    }
    INT_PTR result = sim::RunDialog(*dialog, dwInitParam);
    sim::DestroyDialog(*dialog);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    SimWindow* dialog = sim::DialogOf(hDlg, "EndDialog");
    if (dialog == nullptr) return FALSE;
    dialog->ended = true;
    dialog->result = nResult;
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
    SimWindow* dialog = sim::DialogOf(hDlg, "GetDlgItem");
    if (dialog == nullptr) return nullptr;
    HWND hControl = sim::ControlHandle(*dialog, nIDDlgItem);
    if (hControl == nullptr) Current().lastError = sim::kErrorControlIdNotFound;
    return hControl;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    Current().calls.push_back(sim::Call{
        "SetDlgItemTextA", std::to_string(nIDDlgItem) + " " + (lpString ? lpString : "")});
    HWND hControl = GetDlgItem(hDlg, nIDDlgItem);
    if (hControl == nullptr) return FALSE;
    return static_cast<BOOL>(
        SendMessageA(hControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)));
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    SimWindow* window = sim::FindWindow(hWnd);
    if (window == nullptr) {
        sim::Fail("SendMessageA to a window that does not exist");
        return 0;
    }
    if (!window->isDialog) return sim::ControlMessage(*window, Msg, wParam, lParam);
    return sim::SendToDialog(*window, Msg, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    SimWindow* dialog = sim::DialogOf(hWnd, "DefWindowProcA");
    if (dialog == nullptr) return 0;
    Current().calls.push_back(sim::Call{"DefWindowProcA", sim::MessageName(Msg)});
    switch (Msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hWnd, &ps);
            EndPaint(hWnd, &ps);
            return 0;
        }
        case WM_SIZE:
        case WM_COMMAND:
        case WM_QUERYDRAGICON:  // dialogs have no class icon to offer
            return 0;
        case WM_ICONERASEBKGND:
            if (sim::PaintingDialog(reinterpret_cast<HDC>(wParam), "WM_ICONERASEBKGND") != dialog) {
                sim::Fail("WM_ICONERASEBKGND carried another window's device context");
            }
            return TRUE;
        case WM_SETICON:
        case WM_GETICON:
            return sim::IconMessage(*dialog, Msg, wParam, lParam);
        case WM_SETTEXT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            return sim::TextMessage(*dialog, Msg, wParam, lParam);
        case WM_SYSCOMMAND:
            if (wParam == SC_CLOSE) return SendMessageA(hWnd, WM_CLOSE, 0, 0);
            break;
    }
    sim::Fail("default handling of message " + std::to_string(Msg) + " is not simulated");
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    SimWindow* dialog = sim::DialogOf(hWnd, "SetWindowLongPtrA");
    if (dialog == nullptr) return 0;
    if (nIndex != DWLP_USER) sim::Fail("SetWindowLongPtrA is only simulated for DWLP_USER");
    LONG_PTR previous = dialog->user;
    dialog->user = dwNewLong;
    return previous;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
    SimWindow* dialog = sim::DialogOf(hWnd, "GetWindowLongPtrA");
    if (dialog == nullptr) return 0;
    if (nIndex != DWLP_USER) sim::Fail("GetWindowLongPtrA is only simulated for DWLP_USER");
    return dialog->user;
}

// The innermost dialog on screen; a dialog that is still initialising is not yet active.
HWND WINAPI GetActiveWindow(void) {
    const std::vector<HWND>& stack = sim::State().modalStack;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (sim::FindWindow(*it)->visible) return *it;
    }
    return nullptr;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    sim::Machine& machine = Current();
    SimWindow* owner = hWnd != nullptr ? sim::DialogOf(hWnd, "MessageBoxA") : nullptr;
    if ((uType & 0xF) != MB_OK) sim::Fail("only MB_OK message boxes are simulated");
    sim::Seen seen;
    seen.kind = sim::Seen::Kind::MessageBox;
    seen.title = owner != nullptr ? owner->text : "";
    seen.text = lpText != nullptr ? lpText : "";
    seen.caption = lpCaption != nullptr ? lpCaption : "Error";
    seen.style = uType;
    machine.seen.push_back(seen);
    machine.calls.push_back(sim::Call{"MessageBoxA", seen.text});
    return sim::AnswerMessageBox(seen.caption);
}

BOOL WINAPI IsIconic(HWND hWnd) {
    SimWindow* dialog = sim::DialogOf(hWnd, "IsIconic");
    return dialog != nullptr && dialog->iconic;
}

int WINAPI GetSystemMetrics(int nIndex) {
    if (nIndex == SM_CXICON || nIndex == SM_CYICON) return Current().iconSize;
    sim::Fail("GetSystemMetrics(" + std::to_string(nIndex) + ") is not simulated");
    return 0;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    SimWindow* dialog = sim::DialogOf(hWnd, "GetClientRect");
    if (dialog == nullptr || lpRect == nullptr) return FALSE;
    *lpRect = sim::DialogClientRect(*dialog);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    SimWindow* dialog = sim::DialogOf(hWnd, "BeginPaint");
    if (dialog == nullptr || lpPaint == nullptr) return nullptr;
    if (dialog->paintDc != nullptr) sim::Fail("BeginPaint while \"" + dialog->text + "\" paints");
    Current().calls.push_back(sim::Call{"BeginPaint", dialog->text});
    // Each window's paint context has a handle of its own, derived from the window's.
    dialog->paintDc = reinterpret_cast<HDC>(reinterpret_cast<ULONG_PTR>(hWnd) | 0x8);
    *lpPaint = PAINTSTRUCT();
    lpPaint->hdc = dialog->paintDc;
    lpPaint->rcPaint = sim::DialogClientRect(*dialog);
    return dialog->paintDc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    SimWindow* dialog = sim::DialogOf(hWnd, "EndPaint");
    if (dialog == nullptr || lpPaint == nullptr) return FALSE;
    if (dialog->paintDc == nullptr || lpPaint->hdc != dialog->paintDc) {
        sim::Fail("EndPaint without the BeginPaint of \"" + dialog->text + "\"");
        return FALSE;
    }
    Current().calls.push_back(sim::Call{"EndPaint", dialog->text});
    dialog->paintDc = nullptr;
    return TRUE;
}

BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
    SimWindow* dialog = sim::PaintingDialog(hDC, "DrawIcon");
    if (dialog == nullptr) return FALSE;
    sim::Seen seen;
    seen.kind = sim::Seen::Kind::IconDrawn;
    seen.title = dialog->text;
    seen.x = X;
    seen.y = Y;
    seen.iconId = sim::IconId(hIcon);
    Current().seen.push_back(seen);
    return TRUE;
}

}  // extern "C"

// ---------------------------------------------------------------------------------------------
// The transcript: what the user saw and did, one line per event.

namespace sim {
namespace {

const char* ActionName(Action action) {
    switch (action) {
        case Action::PressOk:
            return "OK";
        case Action::PressCancel:
            return "Cancel";
        case Action::Enter:
            return "Enter";
        case Action::Escape:
            return "Escape";
        case Action::CloseBox:
            return "close box";
        case Action::Minimise:
            return "minimise";
        case Action::Restore:
            return "restore";
    }
    return "?";
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string ResultName(INT_PTR result) {
    if (result == IDOK) return "IDOK";
    if (result == IDCANCEL) return "IDCANCEL";
    return std::to_string(result);
}

std::string ControlLine(const ControlView& control) {
    std::string line = std::to_string(control.id) + " " + control.windowClass;
    if (control.imageId != 0) return line + " bitmap " + std::to_string(control.imageId);
    line += " " + Quoted(control.text);
    if (control.windowClass == "ComboBox") line += " list=" + std::to_string(control.listCount);
    return line;
}

std::string DialogLine(const Seen& seen) {
    std::string line = "dialog " + Quoted(seen.title) + " focus=" + std::to_string(seen.focusId);
    if (seen.bigIconId != 0 || seen.smallIconId != 0) {
        line += " icons=" + std::to_string(seen.bigIconId) + "/" + std::to_string(seen.smallIconId);
    }
    if (seen.templateLanguage != 0) line += " lang=" + Hex(seen.templateLanguage);
    for (const ControlView& control : seen.controls) line += " | " + ControlLine(control);
    return line;
}

std::string SeenLine(const Seen& seen) {
    switch (seen.kind) {
        case Seen::Kind::Dialog:
            return DialogLine(seen);
        case Seen::Kind::MessageBox:
            return "message box " + Quoted(seen.caption) + ": " + Quoted(seen.text) + " (" +
                   Hex(seen.style) + ") owner " + Quoted(seen.title);
        case Seen::Kind::DialogClosed:
            return "closed " + Quoted(seen.title) + " " + ResultName(seen.result);
        case Seen::Kind::IconDrawn:
            return "icon " + std::to_string(seen.iconId) + " drawn at (" + std::to_string(seen.x) +
                   ", " + std::to_string(seen.y) + ") on " + Quoted(seen.title);
        case Seen::Kind::UserAction:
            return std::string("user: ") + ActionName(seen.action);
    }
    return "?";
}

}  // namespace

std::string Machine::Transcript() const {
    std::string transcript;
    for (const Seen& event : seen) transcript += SeenLine(event) + "\n";
    return transcript;
}

}  // namespace sim
