// The removal confirmation: shows the card's description and carries the application icon; its
// OK runs the removal pass.
#include "dialogs/confirm_removal_dlg.h"

#include "dialogs/driver_description.h"
#include "discovery/discovery.h"
#include "removal/removal.h"
#include "res/resource.h"

DeviceEntry g_ConfirmDevices[DEVICE_TABLE_CAPACITY];

namespace {

const int kLoadedTextSize = 256;

}  // namespace

CConfirmRemovalDlg::CConfirmRemovalDlg(CWnd* pParent) : CDialog(IDD_CONFIRM_REMOVAL, pParent) {
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

BEGIN_MESSAGE_MAP(CConfirmRemovalDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

BOOL CConfirmRemovalDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    if (FindVendorDevices(g_ConfirmDevices, DEVICE_TABLE_CAPACITY) == 0) return TRUE;
    char szDescription[DRIVER_DESC_SIZE] = "";
    switch (LookUpDriverDescription(this, g_ConfirmDevices[0].szDriverKey, szDescription)) {
        case DescriptionRead:
            SetDlgItemText(IDC_DEVICE_DESC, szDescription);
            return TRUE;
        case NoDescription: {
            char szUnknown[kLoadedTextSize] = "";
            AfxLoadString(IDS_UNKNOWN_DRIVER, szUnknown, kLoadedTextSize);
            SetDlgItemText(IDC_DEVICE_DESC, szUnknown);
            return TRUE;
        }
        case NoPrivilege:
            return FALSE;  // the lookup has warned; the description stays empty
    }
    return FALSE;
}

// Draws the icon centred in the client area while minimised; otherwise paints as usual.
void CConfirmRemovalDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect = {0, 0, 0, 0};
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
}

HCURSOR CConfirmRemovalDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CConfirmRemovalDlg::OnOK() {
    RemoveMatchingDevices(this);
}
