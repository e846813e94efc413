// The device chooser: shows the first card's driver description and leads to the confirmation.
#pragma once

#include "discovery/device_table.h"
#include "framework/afxwin.h"

extern DeviceEntry g_ChooserDevices[DEVICE_TABLE_CAPACITY];
// Set once the chooser has shown the not-found notice; OK then does nothing.
extern BOOL g_bChooserAborted;

class CChooseDeviceDlg : public CDialog {
public:
    explicit CChooseDeviceDlg(CWnd* pParent = nullptr);
    ~CChooseDeviceDlg() override = default;

protected:
    void DoDataExchange() override {}
    BOOL OnInitDialog() override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()
};
