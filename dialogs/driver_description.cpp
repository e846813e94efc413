// The driver description lookup. Both keys are opened with full access on purpose: the open
// doubles as the test whether the user may remove devices at all.
#include "dialogs/driver_description.h"

#include <cstring>

#include "dialogs/warning_box.h"
#include "platform/unique_handle.h"
#include "res/resource.h"

namespace {

const char kClassKeyPath[] = "System\\CurrentControlSet\\Control\\Class";

// Opens the class key, then the driver key below it (the class key itself for an empty name).
// The class key is released on return; only the driver key is handed out.
BOOL OpenDriverKey(const char* pszDriverKey, UniqueHKey& driverKey) {
    UniqueHKey classKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassKeyPath, 0, KEY_ALL_ACCESS, classKey.put()) !=
        ERROR_SUCCESS) {
        return FALSE;
    }
    return RegOpenKeyExA(classKey.get(), pszDriverKey, 0, KEY_ALL_ACCESS, driverKey.put()) ==
           ERROR_SUCCESS;
}

// The value may lack its NUL (or not be text at all): keep every byte read and end the text
// after them, or on the last byte when the data filled the whole buffer.
void TerminateWithinBuffer(char (&szDescription)[DRIVER_DESC_SIZE], DWORD cbData) {
    DWORD cbRead = cbData < DRIVER_DESC_SIZE ? cbData : DRIVER_DESC_SIZE;
    if (std::memchr(szDescription, '\0', cbRead) != nullptr) return;
    szDescription[cbRead < DRIVER_DESC_SIZE ? cbRead : DRIVER_DESC_SIZE - 1] = '\0';
}

DriverDescOutcome ReadDriverDescription(HKEY driverKey, char (&szDescription)[DRIVER_DESC_SIZE]) {
    DWORD dwType = REG_NONE;
    DWORD cbData = DRIVER_DESC_SIZE;
    if (RegQueryValueExA(driverKey, "DriverDesc", nullptr, &dwType,
                         reinterpret_cast<LPBYTE>(szDescription), &cbData) != ERROR_SUCCESS) {
        return NoDescription;
    }
    TerminateWithinBuffer(szDescription, cbData);
    return DescriptionRead;
}

}  // namespace

DriverDescOutcome LookUpDriverDescription(CWnd* pOwner, const char* pszDriverKey,
                                          char (&szDescription)[DRIVER_DESC_SIZE]) {
    UniqueHKey driverKey;
    if (!OpenDriverKey(pszDriverKey, driverKey)) {
        ShowWarning(pOwner, IDS_NO_PRIVILEGES, TextThenCaption);
        return NoPrivilege;
    }
    return ReadDriverDescription(driverKey.get(), szDescription);
}
