// The warning box: caption string IDS_APP_CAPTION, the given text string, style MB_OK with the
// exclamation icon, owned by the dialog in which the failure arose.
#pragma once

#include "framework/afxwin.h"

// Which of the two strings a warning loads first: the privilege warning loads its text first,
// the removal warning its caption.
enum WarningLoadOrder {
    TextThenCaption,
    CaptionThenText,
};

void ShowWarning(CWnd* pOwner, UINT nTextId, WarningLoadOrder order);
