// The removal confirmation: the last step before devices are removed.
#pragma once

#include "discovery/device_table.h"
#include "framework/afxwin.h"

extern DeviceEntry g_ConfirmDevices[DEVICE_TABLE_CAPACITY];

class CConfirmRemovalDlg : public CDialog {
public:
    explicit CConfirmRemovalDlg(CWnd* pParent = nullptr);
    ~CConfirmRemovalDlg() override = default;

    void OnPaint();
    HCURSOR OnQueryDragIcon();

protected:
    HICON m_hIcon;

    void DoDataExchange() override {}
    BOOL OnInitDialog() override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()
};
