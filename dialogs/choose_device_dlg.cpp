// The device chooser. Its combo box only displays the first card's description; what is removed
// is decided later by the removal pass alone.
#include "dialogs/choose_device_dlg.h"

#include "dialogs/confirm_removal_dlg.h"
#include "dialogs/device_not_found_dlg.h"
#include "dialogs/driver_description.h"
#include "discovery/discovery.h"
#include "res/resource.h"

DeviceEntry g_ChooserDevices[DEVICE_TABLE_CAPACITY];
BOOL g_bChooserAborted = FALSE;

CChooseDeviceDlg::CChooseDeviceDlg(CWnd* pParent) : CDialog(IDD_CHOOSE_DEVICE, pParent) {}

BEGIN_MESSAGE_MAP(CChooseDeviceDlg, CDialog)
END_MESSAGE_MAP()

namespace {

// A card without a readable description: tell the user no card can be uninstalled, and from
// then on refuse OK.
void ShowNotFoundNotice() {
    CDeviceNotFoundDlg notice(nullptr);
    notice.DoModal();
    g_bChooserAborted = TRUE;
}

}  // namespace

BOOL CChooseDeviceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (FindVendorDevices(g_ChooserDevices, DEVICE_TABLE_CAPACITY) == 0) return TRUE;
    char szDescription[DRIVER_DESC_SIZE] = "";
    switch (LookUpDriverDescription(this, g_ChooserDevices[0].szDriverKey, szDescription)) {
        case DescriptionRead:
            SetDlgItemText(IDC_DEVICE_COMBO, szDescription);
            return TRUE;
        case NoDescription:
            ShowNotFoundNotice();
            return FALSE;
        case NoPrivilege:
            return FALSE;  // the lookup has warned; OK still leads on
    }
    return FALSE;
}

void CChooseDeviceDlg::OnOK() {
    if (g_bChooserAborted == TRUE) return;
    {
        CConfirmRemovalDlg confirm(nullptr);
        confirm.DoModal();  // confirmed or cancelled, the chooser ends the same way
    }
    CDialog::OnOK();
}
