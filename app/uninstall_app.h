// The application object: chooses the resource language and makes the start-up decision.
#pragma once

#include "framework/afxwin.h"

class CUninstallApp : public CWinApp {
public:
    CUninstallApp();
    ~CUninstallApp() override = default;

    BOOL InitInstance() override;
    BOOL IsVendorDevicePresent();

    DECLARE_MESSAGE_MAP()
};
