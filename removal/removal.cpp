// The removal pass: the one operation that changes the machine. Every present device whose
// hardware-identifier list holds row 0's first identifier, compared exactly, goes to the class
// installer; each failure is reported and the pass goes on.
#include "removal/removal.h"

#include <cstring>

#include "dialogs/confirm_removal_dlg.h"
#include "dialogs/warning_box.h"
#include "discovery/discovery.h"
#include "platform/unique_handle.h"
#include "res/resource.h"

namespace {

// A property query that keeps failing with an unexpected error, or keeps asking for a larger
// buffer, is given up after this many rounds, so the user is never caught in endless warnings.
const int kMaxFailedQueries = 3;

void ShowRemovalWarning(CDialog* pDialog) {
    ShowWarning(pDialog, IDS_CANNOT_REMOVE, CaptionThenText);
}

// The device's hardware identifiers as a REG_MULTI_SZ list in `list` (none held for a list of
// length 0) and their length in bytes. FALSE: the device is skipped.
BOOL ReadHardwareIds(CDialog* pDialog, HDEVINFO hDevInfo, PSP_DEVINFO_DATA pDevInfoData,
                     UniqueLocal& list, DWORD& cbList) {
    DWORD cbBuffer = 0;
    DWORD dwRequired = 0;
    DWORD dwType = 0;
    int nFailures = 0;
    int nGrowths = 0;
    while (!SetupDiGetDeviceRegistryPropertyA(hDevInfo, pDevInfoData, SPDRP_HARDWAREID, &dwType,
                                              static_cast<PBYTE>(list.get()), cbBuffer,
                                              &dwRequired)) {
        DWORD dwError = GetLastError();
        if (dwError == ERROR_INVALID_DATA) return FALSE;  // no identifiers: skipped silently
        if (dwError == ERROR_INSUFFICIENT_BUFFER) {
            list.reset();
            if (++nGrowths <= kMaxFailedQueries) list.reset(LocalAlloc(LPTR, dwRequired));
            if (!list) {
                ShowRemovalWarning(pDialog);  // once; the device is skipped
                return FALSE;
            }
            cbBuffer = dwRequired;
        } else {
            ShowRemovalWarning(pDialog);
            if (++nFailures >= kMaxFailedQueries) return FALSE;
        }
    }
    // Never trust a length beyond the buffer actually held.
    cbList = dwRequired < cbBuffer ? dwRequired : cbBuffer;
    return TRUE;
}

// The length of the entry at pszEntry, or cchMax when it has no NUL within cchMax bytes.
size_t BoundedEntryLength(const char* pszEntry, size_t cchMax) {
    const void* pNul = std::memchr(pszEntry, '\0', cchMax);
    return pNul == nullptr ? cchMax
                           : static_cast<size_t>(static_cast<const char*>(pNul) - pszEntry);
}

// Walks the list up to its returned length. An entry cut off by that length has no end of its
// own and never matches. TRUE when an entry equals pszHardwareId byte for byte.
BOOL ListHoldsIdentifier(const char* pList, DWORD cbList, const char* pszHardwareId) {
    const char* pEnd = pList + cbList;
    size_t cchId = std::strlen(pszHardwareId);
    for (const char* pEntry = pList; pEntry < pEnd && *pEntry != '\0';) {
        size_t cchEntry = BoundedEntryLength(pEntry, static_cast<size_t>(pEnd - pEntry));
        if (pEntry + cchEntry == pEnd) return FALSE;
        if (cchEntry == cchId && std::memcmp(pEntry, pszHardwareId, cchId) == 0) return TRUE;
        pEntry += cchEntry + 1;
    }
    return FALSE;
}

// Steps 4 and 5 for one device: read its identifiers and hand it to the class installer when
// one of them is the one sought. A device is handed over at most once.
void RemoveIfCarrying(CDialog* pDialog, HDEVINFO hDevInfo, PSP_DEVINFO_DATA pDevInfoData,
                      const char* pszHardwareId) {
    UniqueLocal list;
    DWORD cbList = 0;
    if (!ReadHardwareIds(pDialog, hDevInfo, pDevInfoData, list, cbList)) return;
    if (!list ||
        !ListHoldsIdentifier(static_cast<const char*>(list.get()), cbList, pszHardwareId)) {
        return;
    }
    if (!SetupDiCallClassInstaller(DIF_REMOVE, hDevInfo, pDevInfoData)) {
        ShowRemovalWarning(pDialog);
    }
}

// Steps 3 to 7: every present device in enumeration order, then the enumeration's own end.
void RemoveFromPresentDevices(CDialog* pDialog, HDEVINFO hDevInfo, const char* pszHardwareId) {
    SP_DEVINFO_DATA devInfoData = {};
    devInfoData.cbSize = sizeof(SP_DEVINFO_DATA);
    DWORD dwIndex = 0;
    while (SetupDiEnumDeviceInfo(hDevInfo, dwIndex, &devInfoData)) {
        RemoveIfCarrying(pDialog, hDevInfo, &devInfoData, pszHardwareId);
        ++dwIndex;
    }
    DWORD dwError = GetLastError();
    if (dwError != 0 && dwError != ERROR_NO_MORE_ITEMS) ShowRemovalWarning(pDialog);
}

}  // namespace

void RemoveMatchingDevices(CDialog* pDialog) {
    if (FindVendorDevices(g_ConfirmDevices, DEVICE_TABLE_CAPACITY) != 0) {
        UniqueDevInfo presentDevices(
            SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
        if (!presentDevices) {
            // The dialog stays open: OK may run the whole pass again.
            ShowRemovalWarning(pDialog);
            return;
        }
        RemoveFromPresentDevices(pDialog, presentDevices.get(), g_ConfirmDevices[0].szHardwareId);
    }
    pDialog->CDialog::OnOK();
}
