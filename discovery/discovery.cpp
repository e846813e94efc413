// The discovery pass: walks every device instance of every setup class and records the vendor's
// devices in the caller's table. No heap: the table is the caller's and every buffer is fixed.
#include "discovery/discovery.h"

#include <cstdio>
#include <cstring>

#include "platform/unique_handle.h"

char g_szDebugMessage[256];

namespace {

const char* const kAcceptedManufacturers[] = {
    "Marlek Technology",
    "Technologies Marlek",
    "Nordhafen Fernnetz AG",
};

const ULONG kPropertyBufferSize = 256;

// Only A to Z fold: the thread locale chosen at start-up must not change which makers match.
char FoldAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

BOOL IsSameNameIgnoringAsciiCase(const char* pszLeft, const char* pszRight) {
    for (; *pszLeft != '\0' && *pszRight != '\0'; ++pszLeft, ++pszRight) {
        if (FoldAsciiLetter(*pszLeft) != FoldAsciiLetter(*pszRight)) return FALSE;
    }
    return *pszLeft == *pszRight;
}

// The length of the text at the start of a property buffer, or `limit` when no NUL lies within
// the first `limit` bytes; the buffer holds at least `limit` bytes.
size_t PropertyTextLength(const char* pBuffer, size_t limit) {
    const void* pTerminator = std::memchr(pBuffer, '\0', limit);
    return pTerminator != nullptr
               ? static_cast<size_t>(static_cast<const char*>(pTerminator) - pBuffer)
               : limit;
}

// The length of a NUL-terminated text, counting no further than `limit`.
size_t TextLength(const char* pszText, size_t limit) {
    size_t length = 0;
    while (length < limit && pszText[length] != '\0') ++length;
    return length;
}

// Copies `length` bytes and a NUL; the caller has checked that they fit.
void CopyText(char* pszTarget, const char* source, size_t length) {
    std::memcpy(pszTarget, source, length);
    pszTarget[length] = '\0';
}

// ---------------------------------------------------------------------------------------------
// Diagnostics: each is cut to the shared buffer, so a long instance id cannot overflow it.

void ReportCreateListFailure(DWORD dwError) {
    (void)std::snprintf(g_szDebugMessage, sizeof g_szDebugMessage,
                        "DE: Create device list failed(%u)", static_cast<unsigned>(dwError));
    OutputDebugStringA(g_szDebugMessage);
}

void ReportInstanceIdFailure(DWORD dwError) {
    (void)std::snprintf(g_szDebugMessage, sizeof g_szDebugMessage, "DE: get device id failed(%u)",
                        static_cast<unsigned>(dwError));
    OutputDebugStringA(g_szDebugMessage);
}

void ReportStatusFailure(const char* pszInstanceId, CONFIGRET cr) {
    (void)std::snprintf(g_szDebugMessage, sizeof g_szDebugMessage,
                        "Get Devicestatus(%s) failed with 0x%X", pszInstanceId,
                        static_cast<unsigned>(cr));
    OutputDebugStringA(g_szDebugMessage);
}

// ---------------------------------------------------------------------------------------------
// The visitor's steps.

DeviceEntry* FindFreeRow(const DeviceTableContext* pTable) {
    for (ULONG i = 0; i < pTable->nCapacity; ++i) {
        if (pTable->pEntries[i].szInstanceId[0] == '\0') return &pTable->pEntries[i];
    }
    return nullptr;
}

// Reads one property into a 256-byte buffer; `pulLength` then holds the bytes returned.
BOOL ReadDevNodeProperty(DEVINST dnDevInst, ULONG ulProperty, char* pBuffer, ULONG* pulLength) {
    ULONG ulDataType = 0;
    *pulLength = kPropertyBufferSize;
    return CM_Get_DevNode_Registry_PropertyA(dnDevInst, ulProperty, &ulDataType, pBuffer, pulLength,
                                             0) == CR_SUCCESS;
}

// The first entry of the hardware-identifier list must end within the returned bytes and fit
// szHardwareId whole: a cut identifier would match no device when the cards are removed.
BOOL HasUsableFirstHardwareId(const char* pList, ULONG ulLength) {
    size_t length = PropertyTextLength(pList, ulLength);
    return length < ulLength && length < sizeof(DeviceEntry::szHardwareId);
}

// The manufacturer buffer has one byte beyond the 256 the platform may fill, so the name always
// ends even when the property came back without its NUL.
BOOL ReadManufacturer(DEVINST dnDevInst, char* pszManufacturer) {
    ULONG ulLength = 0;
    if (!ReadDevNodeProperty(dnDevInst, CM_DRP_MFG, pszManufacturer, &ulLength)) return FALSE;
    pszManufacturer[ulLength < kPropertyBufferSize ? ulLength : kPropertyBufferSize] = '\0';
    return TRUE;
}

// A status that cannot be read is reported and does not keep the device out.
BOOL IsBeingRemoved(DEVINST dnDevInst, const char* pszInstanceId) {
    ULONG ulStatus = 0;
    ULONG ulProblem = 0;
    CONFIGRET cr = CM_Get_DevNode_Status(&ulStatus, &ulProblem, dnDevInst, 0);
    if (cr != CR_SUCCESS) {
        ReportStatusFailure(pszInstanceId, cr);
        return FALSE;
    }
    return (ulStatus & DN_WILL_BE_REMOVED) != 0;
}

void TakeRow(DeviceEntry* pRow, const char* pszInstanceId, const char* pHardwareIds,
             DEVINST dnDevInst) {
    CopyText(pRow->szHardwareId, pHardwareIds, std::strlen(pHardwareIds));
    CopyText(pRow->szInstanceId, pszInstanceId,
             TextLength(pszInstanceId, sizeof pRow->szInstanceId - 1));
    pRow->szDriverKey[0] = '\0';
    pRow->dnDevInst = dnDevInst;
}

// The driver key is kept only when it fits with its terminator; a longer one leaves it empty.
void ReadDriverKey(DeviceEntry* pRow, char* pBuffer) {
    ULONG ulLength = 0;
    if (!ReadDevNodeProperty(pRow->dnDevInst, CM_DRP_DRIVER, pBuffer, &ulLength)) return;
    if (ulLength >= sizeof pRow->szDriverKey) return;
    CopyText(pRow->szDriverKey, pBuffer, PropertyTextLength(pBuffer, ulLength));
}

}  // namespace

BOOL IsAcceptedManufacturer(const char* pszManufacturer) {
    for (const char* pszAccepted : kAcceptedManufacturers) {
        if (IsSameNameIgnoringAsciiCase(pszManufacturer, pszAccepted)) return TRUE;
    }
    return FALSE;
}

int FindVendorDevices(DeviceEntry* pEntries, ULONG nCapacity) {
    std::memset(pEntries, 0, sizeof(DeviceEntry) * nCapacity);
    DeviceTableContext table = {pEntries, nCapacity};
    return EnumerateDeviceInstances(AddVendorDevice, &table);
}

int EnumerateDeviceInstances(DeviceInstanceVisitor pfnVisitor, void* pContext) {
    SP_DEVINFO_DATA deviceInfo = {};
    deviceInfo.cbSize = sizeof(SP_DEVINFO_DATA);
    UniqueDevInfo deviceList(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    if (!deviceList) {
        ReportCreateListFailure(GetLastError());
        return 0;
    }
    char szInstanceId[256];
    for (DWORD index = 0; SetupDiEnumDeviceInfo(deviceList.get(), index, &deviceInfo); ++index) {
        if (SetupDiGetDeviceInstanceIdA(deviceList.get(), &deviceInfo, szInstanceId,
                                        sizeof szInstanceId, nullptr)) {
            pfnVisitor(pContext, szInstanceId);
        } else {
            ReportInstanceIdFailure(GetLastError());
        }
    }
    return 1;
}

void AddVendorDevice(void* pContext, const char* pszInstanceId) {
    DeviceEntry* pRow = FindFreeRow(static_cast<const DeviceTableContext*>(pContext));
    if (pRow == nullptr) return;
    DEVINST dnDevInst = 0;
    if (CM_Locate_DevNodeA(&dnDevInst, const_cast<char*>(pszInstanceId),
                           CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS) {
        return;
    }
    pRow->szHardwareId[0] = '\0';
    char property[kPropertyBufferSize];
    char szManufacturer[kPropertyBufferSize + 1];
    ULONG ulHardwareIdLength = 0;
    if (!ReadDevNodeProperty(dnDevInst, CM_DRP_HARDWAREID, property, &ulHardwareIdLength)) return;
    if (!ReadManufacturer(dnDevInst, szManufacturer)) return;
    if (!IsAcceptedManufacturer(szManufacturer)) return;
    if (!HasUsableFirstHardwareId(property, ulHardwareIdLength)) return;
    pRow->bVendorMatch = TRUE;
    if (IsBeingRemoved(dnDevInst, pszInstanceId)) return;
    TakeRow(pRow, pszInstanceId, property, dnDevInst);
    ReadDriverKey(pRow, property);
}
