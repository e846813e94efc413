// The discovery pass: walks every device instance and records the vendor's devices.
#pragma once

#include "discovery/device_table.h"

// Shared by every diagnostic of the pass; holds the last text sent to the debugger.
extern char g_szDebugMessage[256];

typedef void (*DeviceInstanceVisitor)(void* pContext, const char* pszInstanceId);

// Clears the table, then fills it from row 0. Returns 1 when the device list was built, 0 when not.
int FindVendorDevices(DeviceEntry* pEntries, ULONG nCapacity);

// Hands every device instance identifier of the system to the visitor. Returns 1 after a
// complete walk, 0 when the device list could not be built.
int EnumerateDeviceInstances(DeviceInstanceVisitor pfnVisitor, void* pContext);

// The visitor of FindVendorDevices: records one qualifying device in the first free row.
void AddVendorDevice(void* pContext, const char* pszInstanceId);

// Whole-text comparison that folds only the ASCII letters A to Z.
BOOL IsAcceptedManufacturer(const char* pszManufacturer);
