// Private state of the simulated windows component: the windows that exist now (modal dialogs
// and their controls) and the paint in progress.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace sim {

struct SimWindow {
    HWND handle = nullptr;
    HWND parent = nullptr;  // a control's dialog; a dialog's owner
    bool isDialog = false;
    std::string text;  // a dialog's title, a control's text (a combo box's edit field)
    DWORD style = 0;

    // Controls.
    int id = 0;
    std::string windowClass;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    int imageId = 0;
    int listCount = 0;

    // Dialogs.
    DLGPROC dialogProc = nullptr;
    LONG_PTR user = 0;  // DWLP_USER
    std::vector<HWND> controls;
    WORD templateLanguage = 0;
    bool visible = false;
    bool ended = false;
    INT_PTR result = 0;
    bool iconic = false;
    HICON icons[2] = {nullptr, nullptr};  // ICON_SMALL, ICON_BIG
    HDC paintDc = nullptr;                // set between BeginPaint and EndPaint
    int actions = 0;                      // scripted actions taken by this dialog
};

struct WindowsState {
    std::map<HWND, std::unique_ptr<SimWindow>> windows;
    std::vector<HWND> modalStack;  // the dialogs running now, outermost first
    ULONG_PTR nextHandle = 0x10010;
};

}  // namespace sim
