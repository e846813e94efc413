// The application object: picks the resource language while it is constructed, then makes the
// start-up decision between the chooser and the not-found notice.
#include "app/uninstall_app.h"

#include "app/language.h"
#include "dialogs/choose_device_dlg.h"
#include "dialogs/device_not_found_dlg.h"
#include "discovery/discovery.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CUninstallApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

// Every dialog and string of the run is loaded in the thread's language, so it is chosen here,
// before anything is loaded.
CUninstallApp::CUninstallApp() : CWinApp(nullptr) {
    LANGID langId = LANGIDFROMLCID(GetThreadLocale());
    SetThreadLocale(MAKELCID(SelectResourceLanguage(langId), SORT_DEFAULT));
}

// Exactly one dialog runs from here; whatever it opens runs inside it. The program then ends.
BOOL CUninstallApp::InitInstance() {
    AfxEnableControlContainer(nullptr);
    Enable3dControlsStatic();
    CChooseDeviceDlg chooser(nullptr);
    CDeviceNotFoundDlg notFound(nullptr);
    if (IsVendorDevicePresent()) {
        chooser.DoModal();
    } else {
        notFound.DoModal();
    }
    return FALSE;
}

// A card counts only with a hardware identifier, which the removal pass needs as its key.
BOOL CUninstallApp::IsVendorDevicePresent() {
    DeviceEntry devices[DEVICE_TABLE_CAPACITY];
    if (FindVendorDevices(devices, DEVICE_TABLE_CAPACITY) == 0) return FALSE;
    return devices[0].szHardwareId[0] != '\0';
}
