// The notice that no card is present: a single OK, and nothing to do but close.
#include "dialogs/device_not_found_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CDeviceNotFoundDlg, CDialog)
END_MESSAGE_MAP()

CDeviceNotFoundDlg::CDeviceNotFoundDlg(CWnd* pParent) : CDialog(IDD_DEVICE_NOT_FOUND, pParent) {}

// TRUE puts the focus on the OK button, the template's first tab stop.
BOOL CDeviceNotFoundDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    return TRUE;
}

void CDeviceNotFoundDlg::OnOK() {
    CDialog::OnOK();
}
