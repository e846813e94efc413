// Resource identifiers, shared by the resource script and the code.
#pragma once

#define IDD_CONFIRM_REMOVAL 102
#define IDR_MAINFRAME 128
#define IDB_CARD 136
#define IDD_DEVICE_NOT_FOUND 137
#define IDD_CHOOSE_DEVICE 138

#define IDS_APP_CAPTION 2
#define IDS_NO_PRIVILEGES 3
#define IDS_UNKNOWN_DRIVER 4
#define IDS_CANNOT_REMOVE 5

#define IDC_DEVICE_DESC 1000
#define IDC_CARD_PICTURE 1001
#define IDC_DEVICE_COMBO 1002

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define ID_HELP 0xE146

// The language set every lookup falls back to.
#define DEFAULT_RESOURCE_LANGUAGE 0x1009
