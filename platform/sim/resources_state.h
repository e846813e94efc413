// Private state of the simulated resources component: the index of the program's compiled
// resources, read once from the bytes windres produced.
#pragma once

#include <vector>

#include "platform/win32.h"

namespace sim {

// One resource of the .res file. Only numbered types and names are indexed; the program has no
// named resources.
struct ResourceEntry {
    WORD type = 0;
    WORD name = 0;
    WORD language = 0;
    const BYTE* data = nullptr;
    DWORD size = 0;
};

struct ResourcesState {
    bool indexed = false;
    std::vector<ResourceEntry> entries;  // in file order; an HRSRC points at one of them
};

}  // namespace sim
