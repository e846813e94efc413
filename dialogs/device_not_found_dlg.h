// The notice that no card is present.
#pragma once

#include "framework/afxwin.h"

class CDeviceNotFoundDlg : public CDialog {
public:
    explicit CDeviceNotFoundDlg(CWnd* pParent = nullptr);
    ~CDeviceNotFoundDlg() override = default;

protected:
    void DoDataExchange() override {}
    BOOL OnInitDialog() override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()
};
