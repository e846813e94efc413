// The warning box shared by the privilege test and the removal pass.
#include "dialogs/warning_box.h"

#include <cstdio>

#include "res/resource.h"

namespace {

const int kLoadedTextSize = 256;
const int kShownTextSize = 260;

// A printf-style copy with the loaded text as the format: resource texts hold no percent sign,
// so the copy equals the text.
void PrintInto(char* pszBuffer, size_t nSize, const char* pszFormat) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
    (void)std::snprintf(pszBuffer, nSize, pszFormat);  // NOLINT(clang-diagnostic-format-security)
#pragma GCC diagnostic pop
}

}  // namespace

void ShowWarning(CWnd* pOwner, UINT nTextId, WarningLoadOrder order) {
    char szText[kLoadedTextSize] = "";
    char szCaption[kLoadedTextSize] = "";
    if (order == TextThenCaption) {
        AfxLoadString(nTextId, szText, kLoadedTextSize);
        AfxLoadString(IDS_APP_CAPTION, szCaption, kLoadedTextSize);
    } else {
        AfxLoadString(IDS_APP_CAPTION, szCaption, kLoadedTextSize);
        AfxLoadString(nTextId, szText, kLoadedTextSize);
    }
    char szShownText[kShownTextSize];
    char szShownCaption[kShownTextSize];
    PrintInto(szShownText, sizeof szShownText, szText);
    PrintInto(szShownCaption, sizeof szShownCaption, szCaption);
    pOwner->MessageBox(szShownText, szShownCaption, MB_OK | MB_ICONEXCLAMATION);
}
