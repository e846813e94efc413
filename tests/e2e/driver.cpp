// The e2e driver: runs Uninstall.exe under Wine as its debugger, waits for each window the program
// shows, writes what it shows (title; every control's id, class and text) into a transcript, and
// answers it as the scenario says. The program's debugger output is captured whole.
//
//   driver.exe run <program> <scenario> <transcript> [<screenshot folder>]
//                                   first writes the registry values of the machine file that
//                                   UNINSTALL_SIM_MACHINE names (the device installer's machine)
//   driver.exe apply-registry <machine file>     writes the file's registry values into HKLM
//   driver.exe probe                             prints "probe ok" (can this build run here?)
//
// A scenario has one action per line ('#' starts a comment):
//   ok | cancel        click that button of the window that came up
//   enter | escape     press that key in it
//   close              its close box
//   shot <name>        save a picture of it as <name>.bmp in the screenshot folder
// Every action waits for the next window first; a window that does not come, or a program that
// does not end after the last action, is reported and the program is killed.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/machine_file.h"

namespace {

const DWORD kStepTimeoutMs = 20000;  // for a window to come up, or the program to end
const DWORD kSettleMs = 300;         // a window must stay in front this long to be answered

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return "";
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                        nullptr, nullptr);
    return utf8;
}

// ---------------------------------------------------------------------------------------------
// The transcript: written as it grows, so a killed run still leaves what was seen.

class Transcript {
public:
    explicit Transcript(const std::string& path) : file_(path, std::ios::binary) {}
    bool ok() const { return file_.good(); }
    void Line(const std::string& line) {
        file_ << line << "\n";
        file_.flush();
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

private:
    std::ofstream file_;
};

// ---------------------------------------------------------------------------------------------
// The debuggee: started and debugged by a thread of its own, as Windows wants debug events read
// by the thread that created the process.

struct Debuggee {
    std::string commandLine;
    std::string folder;
    HANDLE started = nullptr;  // set once the process exists (or could not be created)
    PROCESS_INFORMATION process = {};
    DWORD createError = 0;
    CRITICAL_SECTION lock;
    std::vector<std::string> debugOutput;  // guarded by lock
    std::vector<std::string> exceptions;   // guarded by lock
    volatile LONG exited = 0;
};

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T read = 0;
    if (info.fUnicode || text.empty() ||
        !ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &read)) {
        return "(unreadable debug string)";
    }
    text.resize(read);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

// Answers one debug event; false once the process has exited.
bool HandleDebugEvent(Debuggee& debuggee, const DEBUG_EVENT& event) {
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT: {
            std::string text = ReadDebugString(debuggee.process.hProcess, event.u.DebugString);
            EnterCriticalSection(&debuggee.lock);
            debuggee.debugOutput.push_back(text);
            LeaveCriticalSection(&debuggee.lock);
            break;
        }
        case EXCEPTION_DEBUG_EVENT: {
            DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
            if (code != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;
                char line[64];
                std::snprintf(line, sizeof line, "exception 0x%08lX%s",
                              static_cast<unsigned long>(code),
                              event.u.Exception.dwFirstChance ? "" : " (unhandled)");
                EnterCriticalSection(&debuggee.lock);
                debuggee.exceptions.push_back(line);
                LeaveCriticalSection(&debuggee.lock);
            }
            break;
        }
        default:
            break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    return event.dwDebugEventCode != EXIT_PROCESS_DEBUG_EVENT;
}

DWORD WINAPI DebugLoop(LPVOID parameter) {
    Debuggee& debuggee = *static_cast<Debuggee*>(parameter);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> commandLine(debuggee.commandLine.begin(), debuggee.commandLine.end());
    commandLine.push_back('\0');
    BOOL created = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                  DEBUG_ONLY_THIS_PROCESS, nullptr, debuggee.folder.c_str(),
                                  &startup, &debuggee.process);
    if (!created) debuggee.createError = GetLastError();
    SetEvent(debuggee.started);
    if (!created) return 0;
    DEBUG_EVENT event;
    for (;;) {
        if (!WaitForDebugEvent(&event, 100)) continue;
        if (!HandleDebugEvent(debuggee, event)) break;
    }
    InterlockedExchange(&debuggee.exited, 1);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// What a window shows.

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = L"";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &length)) {
        GetWindowTextW(window, text, 1024);
    }
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Quoted(const std::wstring& text) {
    return "\"" + Utf8(text) + "\"";
}

std::string DescribeControl(HWND control) {
    std::ostringstream line;
    std::string windowClass = ClassOf(control);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    line << "  " << GetDlgCtrlID(control) << " " << windowClass << " ";
    if (windowClass == "Static" && (style & SS_TYPEMASK) == SS_BITMAP) {
        RECT rect;
        GetWindowRect(control, &rect);
        line << "bitmap " << (rect.right - rect.left) << "x" << (rect.bottom - rect.top);
    } else if (windowClass == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
        line << "icon";
    } else {
        line << Quoted(WindowText(control));
    }
    if (windowClass == "ComboBox") {
        DWORD_PTR count = 0;
        SendMessageTimeoutW(control, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
        line << " list=" << static_cast<long>(count);
    }
    if (!(style & WS_VISIBLE)) line << " hidden";
    return line.str();
}

void DescribeWindow(HWND window, Transcript& transcript) {
    wchar_t title[512] = L"";
    GetWindowTextW(window, title, 512);
    transcript.Line("window " + Quoted(title));
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        transcript.Line(DescribeControl(child));
    }
}

// ---------------------------------------------------------------------------------------------
// Finding the window to answer: the program's window in front, other than the one last answered
// (which may stay up, as a dialog does after its warning box), once it has stayed there a moment.

bool IsProgramWindow(HWND window, DWORD processId) {
    DWORD owner = 0;
    if (!window || !GetWindowThreadProcessId(window, &owner) || owner != processId) return false;
    return IsWindowVisible(window) && IsWindowEnabled(window);
}

HWND WaitForWindow(Debuggee& debuggee, HWND lastAnswered, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    HWND candidate = nullptr;
    DWORD candidateSince = 0;
    while (GetTickCount() - start < timeoutMs && !debuggee.exited) {
        HWND front = GetForegroundWindow();
        if (!IsProgramWindow(front, debuggee.process.dwProcessId) || front == lastAnswered) {
            front = nullptr;
        }
        if (front != candidate) {
            candidate = front;
            candidateSince = GetTickCount();
        } else if (candidate && GetTickCount() - candidateSince >= kSettleMs) {
            return candidate;
        }
        Sleep(30);
    }
    return nullptr;
}

bool WaitForExit(Debuggee& debuggee, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!debuggee.exited && GetTickCount() - start < timeoutMs) Sleep(30);
    return debuggee.exited;
}

// ---------------------------------------------------------------------------------------------
// Answering a window.

void ClickButton(HWND window, int id) {
    HWND button = GetDlgItem(window, id);
    if (button) {
        PostMessageA(button, BM_CLICK, 0, 0);
    } else {  // a window without that button still gets the command, as a keyboard would give
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

void PressKey(HWND window, WPARAM key) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus) {
        target = info.hwndFocus;
    }
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// A 24-bit picture of the window as it is on the screen, frame included.
bool SaveScreenshot(HWND window, const std::string& path) {
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + rowBytes * height;
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    file.write(reinterpret_cast<const char*>(&header), sizeof header);
    file.write(static_cast<const char*>(bits), rowBytes * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return file.good();
}

// Lets the program finish painting before a picture is taken.
void WaitUntilPainted(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(400);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

// Carries out one action on the window; false for an unknown action.
bool Answer(HWND window, const std::string& action, const std::string& shotFolder) {
    if (action == "ok") {
        ClickButton(window, IDOK);
    } else if (action == "cancel") {
        ClickButton(window, IDCANCEL);
    } else if (action == "enter") {
        PressKey(window, VK_RETURN);
    } else if (action == "escape") {
        PressKey(window, VK_ESCAPE);
    } else if (action == "close") {
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (action.compare(0, 5, "shot ") == 0) {
        WaitUntilPainted(window);
        if (!shotFolder.empty())
            SaveScreenshot(window, shotFolder + "\\" + action.substr(5) + ".bmp");
    } else {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The run.

std::vector<std::string> ReadActions(const std::string& path, bool& ok) {
    std::ifstream file(path);
    ok = file.good();
    std::vector<std::string> actions;
    for (std::string line; std::getline(file, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        actions.push_back(line.substr(start));
    }
    return actions;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

void WriteCapturedOutput(Debuggee& debuggee, Transcript& transcript) {
    EnterCriticalSection(&debuggee.lock);
    for (const std::string& text : debuggee.debugOutput) transcript.Line("debug: " + text);
    for (const std::string& text : debuggee.exceptions) transcript.Line("debugger: " + text);
    LeaveCriticalSection(&debuggee.lock);
}

// Walks the scenario; false when a window did not come or the program did not end.
bool RunScenario(Debuggee& debuggee, const std::vector<std::string>& actions,
                 const std::string& shotFolder, Transcript& transcript) {
    HWND lastAnswered = nullptr;
    HWND shown = nullptr;
    for (const std::string& action : actions) {
        HWND window = WaitForWindow(debuggee, lastAnswered, kStepTimeoutMs);
        if (!window) {
            transcript.Line(debuggee.exited ? "program ended before: " + action
                                            : "TIMEOUT: no window came up for: " + action);
            return false;
        }
        if (window != shown) DescribeWindow(window, transcript);
        shown = window;
        if (!Answer(window, action, shotFolder)) {
            transcript.Line("unknown action: " + action);
            return false;
        }
        if (action.compare(0, 5, "shot ") == 0) continue;  // the window is still to be answered
        transcript.Line("action " + action);
        lastAnswered = window;
    }
    if (WaitForExit(debuggee, kStepTimeoutMs)) return true;
    if (HWND window = WaitForWindow(debuggee, lastAnswered, 1000))
        DescribeWindow(window, transcript);
    transcript.Line("TIMEOUT: the program did not end; killed");
    return false;
}

int ApplyRegistry(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    sim::MachineFile machine;
    std::string error;
    if (!stream.is_open() || !sim::ParseMachineFile(text.str(), machine, error)) {
        std::fprintf(stderr, "driver: %s: %s\n", path.c_str(),
                     stream.is_open() ? error.c_str() : "unreadable");
        return 2;
    }
    for (const sim::RegistryString& value : machine.registry) {
        HKEY key = nullptr;
        LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, value.keyPath.c_str(), 0, nullptr, 0,
                                      KEY_SET_VALUE, nullptr, &key, nullptr);
        if (result == ERROR_SUCCESS) {
            result = RegSetValueExA(key, value.name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.text.c_str()),
                                    static_cast<DWORD>(value.text.size() + 1));
            RegCloseKey(key);
        }
        if (result != ERROR_SUCCESS) {
            std::fprintf(stderr, "driver: cannot write %s\\%s: error %ld\n", value.keyPath.c_str(),
                         value.name.c_str(), result);
            return 1;
        }
    }
    return 0;
}

int Run(const std::string& program, const std::string& scenario, const std::string& transcriptPath,
        const std::string& shotFolder) {
    bool readable = false;
    std::vector<std::string> actions = ReadActions(scenario, readable);
    Transcript transcript(transcriptPath);
    if (!readable || !transcript.ok()) {
        std::fprintf(stderr, "driver: cannot read %s or write %s\n", scenario.c_str(),
                     transcriptPath.c_str());
        return 2;
    }
    char machine[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("UNINSTALL_SIM_MACHINE", machine, MAX_PATH);
    if (length > 0 && length < MAX_PATH && ApplyRegistry(machine) != 0) {
        transcript.Line("cannot write the machine's registry values");
        return 1;
    }
    Debuggee debuggee;
    InitializeCriticalSection(&debuggee.lock);
    debuggee.commandLine = "\"" + program + "\"";
    debuggee.folder = FolderOf(program);
    debuggee.started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, DebugLoop, &debuggee, 0, nullptr);
    WaitForSingleObject(debuggee.started, INFINITE);
    if (debuggee.createError != 0) {
        transcript.Line("cannot start the program: error " + std::to_string(debuggee.createError));
        return 1;
    }
    bool ended = RunScenario(debuggee, actions, shotFolder, transcript);
    if (!ended) TerminateProcess(debuggee.process.hProcess, 1);
    WaitForSingleObject(thread, 10000);
    WriteCapturedOutput(debuggee, transcript);
    return ended ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "probe") {
        std::printf("probe ok\n");
        return 0;
    }
    if (args.size() == 2 && args[0] == "apply-registry") return ApplyRegistry(args[1]);
    if ((args.size() == 4 || args.size() == 5) && args[0] == "run") {
        return Run(args[1], args[2], args[3], args.size() == 5 ? args[4] : "");
    }
    std::fprintf(stderr,
                 "usage: driver run <program> <scenario> <transcript> [<screenshot folder>]\n"
                 "       driver apply-registry <machine file>\n"
                 "       driver probe\n");
    return 2;
}
