// The driver description lookup, which doubles as the privilege test.
#pragma once

#include "framework/afxwin.h"

enum DriverDescOutcome {
    DescriptionRead,  // both keys opened and "DriverDesc" read into the buffer
    NoPrivilege,      // a key could not be opened with full access; the warning was shown
    NoDescription,    // the keys opened but "DriverDesc" could not be read; nothing shown
};

#define DRIVER_DESC_SIZE 128

DriverDescOutcome LookUpDriverDescription(CWnd* pOwner, const char* pszDriverKey,
                                          char (&szDescription)[DRIVER_DESC_SIZE]);
