// The simulated resource loader over the program's own compiled resources (the .res file that
// windres made from res/Uninstall.rc): lookups by type, number and exact language.
#include <cstdio>
#include <cstring>

#include "platform/sim/internals.h"
#include "platform/sim/machine.h"

using sim::Current;

namespace sim {
namespace {

const ULONG_PTR kIconHandleBase = 0x7C000000;

DWORD ReadDword(const BYTE* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | DWORD{p[3]} << 24;
}
WORD ReadWord(const BYTE* p) {
    return static_cast<WORD>(p[0] | p[1] << 8);
}

// A type or name field: 0xFFFF and a number, or a NUL-terminated UTF-16 name (reported as 0).
const BYTE* ReadId(const BYTE* p, const BYTE* end, WORD* id) {
    if (end - p >= 4 && ReadWord(p) == 0xFFFF) {
        *id = ReadWord(p + 2);
        return p + 4;
    }
    *id = 0;
    while (end - p >= 2 && ReadWord(p) != 0) p += 2;
    return p + 2;
}

// Each record: data size, header size, type, name, then (at the end of the header) data version,
// memory flags, language, version and characteristics; the data follows, padded to 4 bytes.
bool ReadRecord(const BYTE* record, const BYTE* end, ResourceEntry* entry, const BYTE** next) {
    if (end - record < 8) return false;
    DWORD dataSize = ReadDword(record);
    DWORD headerSize = ReadDword(record + 4);
    size_t remaining = static_cast<size_t>(end - record);
    if (headerSize < 32 || remaining < size_t{headerSize} + dataSize) return false;
    const BYTE* field = ReadId(record + 8, end, &entry->type);
    ReadId(field, end, &entry->name);
    entry->language = ReadWord(record + headerSize - 10);
    entry->data = record + headerSize;
    entry->size = dataSize;
    size_t advance = (size_t{headerSize} + dataSize + 3) & ~size_t{3};
    *next = advance < remaining ? record + advance : end;
    return true;
}

void IndexResources(ResourcesState& state) {
    std::size_t size = 0;
    const BYTE* bytes = ProgramResourceBytes(&size);
    const BYTE* end = bytes + size;
    for (const BYTE* record = bytes; record < end;) {
        ResourceEntry entry;
        if (!ReadRecord(record, end, &entry, &record)) {
            Fail("the program's compiled resources are malformed");
            break;
        }
        if (entry.type != 0 && entry.name != 0) state.entries.push_back(entry);
    }
    state.indexed = true;
}

ResourcesState& Resources() {
    ResourcesState& state = Current().internals().resources;
    if (!state.indexed) IndexResources(state);
    return state;
}

bool IsProgramModule(HMODULE module) {
    return module == nullptr || module == GetModuleHandleA(nullptr);
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

// The error FindResourceEx gives for what is missing: the type, the number, or the language.
DWORD Find(WORD type, WORD name, WORD language, const ResourceEntry** found) {
    DWORD error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    for (const ResourceEntry& entry : Resources().entries) {
        if (entry.type != type) continue;
        if (error == ERROR_RESOURCE_TYPE_NOT_FOUND) error = ERROR_RESOURCE_NAME_NOT_FOUND;
        if (entry.name != name) continue;
        error = ERROR_RESOURCE_LANG_NOT_FOUND;
        if (entry.language != language) continue;
        *found = &entry;
        return ERROR_SUCCESS;
    }
    return error;
}

const ResourceEntry* EntryOf(HRSRC resource) {
    const std::vector<ResourceEntry>& entries = Resources().entries;
    const auto* entry = reinterpret_cast<const ResourceEntry*>(resource);
    if (entries.empty() || entry < entries.data() || entry >= entries.data() + entries.size()) {
        Fail("a resource handle that FindResourceExA did not give");
        return nullptr;
    }
    return entry;
}

bool HasIconGroup(WORD name) {
    for (const ResourceEntry& entry : Resources().entries) {
        if (entry.type == LOWORD(RT_GROUP_ICON) && entry.name == name) return true;
    }
    return false;
}

}  // namespace

HICON IconHandle(int resourceId) {
    if (resourceId <= 0 || resourceId > 0xFFFF) return nullptr;
    return reinterpret_cast<HICON>(kIconHandleBase + resourceId);
}

int IconResourceId(HICON icon) {
    ULONG_PTR value = reinterpret_cast<ULONG_PTR>(icon);
    if (value <= kIconHandleBase || value > kIconHandleBase + 0xFFFF) return 0;
    return static_cast<int>(value - kIconHandleBase);
}

}  // namespace sim

extern "C" {

HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
    if (!sim::IsProgramModule(hModule))
        sim::Fail("FindResourceExA is only simulated for the program");
    if (!IS_INTRESOURCE(lpType) || !IS_INTRESOURCE(lpName)) {
        sim::Fail("FindResourceExA is only simulated for numbered resources");
        return nullptr;
    }
    sim::Machine& machine = Current();
    WORD type = LOWORD(lpType), name = LOWORD(lpName);
    std::string detail = "type=" + std::to_string(type) + " name=" + std::to_string(name) +
                         " lang=" + sim::Hex(wLanguage);
    if (std::optional<DWORD> error = machine.Enter("FindResourceExA", detail)) {
        machine.lastError = *error;
        return nullptr;
    }
    const sim::ResourceEntry* found = nullptr;
    DWORD error = sim::Find(type, name, wLanguage, &found);
    if (found == nullptr) {
        machine.lastError = error;
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<sim::ResourceEntry*>(found));
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
    if (!sim::IsProgramModule(hModule)) sim::Fail("LoadResource is only simulated for the program");
    const sim::ResourceEntry* entry = sim::EntryOf(hResInfo);
    return entry == nullptr ? nullptr : const_cast<BYTE*>(entry->data);
}

// The program's resources stay loaded: locking gives the data itself.
LPVOID WINAPI LockResource(HGLOBAL hResData) {
    return hResData;
}

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    if (!sim::IsProgramModule(hModule))
        sim::Fail("SizeofResource is only simulated for the program");
    const sim::ResourceEntry* entry = sim::EntryOf(hResInfo);
    return entry == nullptr ? 0 : entry->size;
}

// Only the program's own icon groups; the system's icons (a NULL instance) are not simulated.
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    if (hInstance == nullptr || !sim::IsProgramModule(hInstance) || !IS_INTRESOURCE(lpIconName)) {
        sim::Fail("LoadIconA is only simulated for the program's numbered icons");
        return nullptr;
    }
    sim::Machine& machine = Current();
    WORD name = LOWORD(lpIconName);
    if (std::optional<DWORD> error = machine.Enter("LoadIconA", std::to_string(name))) {
        machine.lastError = *error;
        return nullptr;
    }
    if (!sim::HasIconGroup(name)) {
        machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    return sim::IconHandle(name);
}

}  // extern "C"
