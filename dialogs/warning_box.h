// The warning box: caption string IDS_APP_CAPTION, the given text string, style MB_OK with the
// exclamation icon, owned by the dialog in which the failure arose.
#pragma once

#include "framework/afxwin.h"

void ShowWarning(CWnd* pOwner, UINT nTextId);
