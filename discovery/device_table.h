// The device table: one row per vendor device that a discovery pass accepted.
#pragma once

#include "platform/win32.h"

#define DEVICE_TABLE_CAPACITY 32

struct DeviceEntry {
    char szInstanceId[260];  // empty: the row is free
    char szHardwareId[128];  // first entry of the device's hardware-identifier list
    char szDriverKey[64];    // driver key name below the device-class key; may be empty
    BOOL bVendorMatch;
    DEVINST dnDevInst;
};

// The visitor's context for one discovery pass.
struct DeviceTableContext {
    DeviceEntry* pEntries;
    ULONG nCapacity;
};
