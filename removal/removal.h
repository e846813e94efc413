// The removal pass: removes every present device that carries the first card's hardware
// identifier, then ends the confirmation dialog (unless the present-device set was refused).
#pragma once

#include "framework/afxwin.h"

void RemoveMatchingDevices(CDialog* pDialog);
