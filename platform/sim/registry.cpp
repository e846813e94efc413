// The simulated registry: keys below HKEY_LOCAL_MACHINE, opened and read as the advapi32 calls
// do. Paths compare without regard to case; a key marked denyFullAccess refuses KEY_ALL_ACCESS
// to its own open (a user without administrator rights), while its subkeys keep their own rule.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/sim/internals.h"

namespace sim {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

RegistryState& State() {
    return Current().internals().registry;
}

// The path of an open key ("" for HKEY_LOCAL_MACHINE itself); nullptr for an unknown handle.
const std::string* KeyPath(HKEY key) {
    static const std::string root;
    if (key == HKEY_LOCAL_MACHINE) return &root;
    auto found = State().openKeys.find(reinterpret_cast<ULONG_PTR>(key));
    return found == State().openKeys.end() ? nullptr : &found->second;
}

std::string JoinPath(const std::string& base, const char* subKey) {
    if (subKey == nullptr || *subKey == '\0') return base;
    return base.empty() ? std::string(subKey) : base + "\\" + subKey;
}

// The key at a path; HKEY_LOCAL_MACHINE itself always exists.
RegistryKey* FindKey(const std::string& path) {
    Machine& machine = Current();
    auto found = machine.registryKeys.find(Lower(path));
    if (found != machine.registryKeys.end()) return &found->second;
    return path.empty() ? &machine.Key("") : nullptr;
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

HKEY NewHandle(const std::string& path) {
    RegistryState& state = State();
    ULONG_PTR handle = state.nextHandle;
    state.nextHandle += 4;
    state.openKeys[handle] = path;
    ++Current().openRegistryKeys;
    return reinterpret_cast<HKEY>(handle);
}

}  // namespace

RegistryKey& Machine::Key(const std::string& path) {
    std::string lower = Lower(path);
    for (std::size_t at = lower.find('\\'); at != std::string::npos;
         at = lower.find('\\', at + 1)) {
        registryKeys[lower.substr(0, at)];
    }
    return registryKeys[lower];
}

void Machine::SetString(const std::string& path, const std::string& name, const std::string& text) {
    SetValue(path, name, text + '\0', REG_SZ);
}

void Machine::SetValue(const std::string& path, const std::string& name, const std::string& bytes,
                       DWORD type) {
    Key(path).values[Lower(name)] = RegistryValue{type, bytes};
}

}  // namespace sim

using sim::Current;

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                             PHKEY phkResult) {
    if (phkResult == nullptr || ulOptions != 0 ||
        (samDesired != KEY_ALL_ACCESS && samDesired != KEY_READ)) {
        sim::Fail("RegOpenKeyExA is only simulated with options 0, KEY_ALL_ACCESS or KEY_READ");
        return ERROR_INVALID_PARAMETER;
    }
    if (lpSubKey != nullptr && lpSubKey[0] == '\\') {
        sim::Fail("RegOpenKeyExA is not simulated for a subkey that begins with a backslash");
        return ERROR_INVALID_PARAMETER;
    }
    *phkResult = nullptr;
    const std::string* base = sim::KeyPath(hKey);
    std::string path = base != nullptr ? sim::JoinPath(*base, lpSubKey) : std::string("?");
    if (std::optional<DWORD> error =
            Current().Enter("RegOpenKeyExA", path + " access=" + sim::Hex(samDesired))) {
        return static_cast<LSTATUS>(*error);
    }
    if (base == nullptr) return ERROR_INVALID_HANDLE;
    const sim::RegistryKey* key = sim::FindKey(path);
    if (key == nullptr) return ERROR_FILE_NOT_FOUND;
    if (samDesired == KEY_ALL_ACCESS && key->denyFullAccess) return ERROR_ACCESS_DENIED;
    *phkResult = sim::NewHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    const std::string* path = sim::KeyPath(hKey);
    std::string name = lpValueName != nullptr ? lpValueName : "";
    std::string detail = (path != nullptr ? *path : std::string("?")) + ":" + name;
    if (lpcbData != nullptr) detail += " size=" + std::to_string(*lpcbData);
    if (std::optional<DWORD> error = Current().Enter("RegQueryValueExA", detail)) {
        return static_cast<LSTATUS>(*error);
    }
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    if (path == nullptr) return ERROR_INVALID_HANDLE;
    const sim::RegistryKey* key = sim::FindKey(*path);
    if (key == nullptr) return ERROR_FILE_NOT_FOUND;  // deleted while open
    auto found = key->values.find(sim::Lower(name));
    if (found == key->values.end()) return ERROR_FILE_NOT_FOUND;
    const sim::RegistryValue& value = found->second;
    if (lpType != nullptr) *lpType = value.type;
    if (lpcbData == nullptr) return ERROR_SUCCESS;
    DWORD size = static_cast<DWORD>(value.data.size());
    DWORD capacity = *lpcbData;
    *lpcbData = size;
    if (lpData == nullptr) return ERROR_SUCCESS;
    if (capacity < size) return ERROR_MORE_DATA;
    std::memcpy(lpData, value.data.data(), size);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    sim::Machine& machine = Current();
    const std::string* path = sim::KeyPath(hKey);
    machine.Enter("RegCloseKey", path != nullptr ? *path : std::string("?"));
    if (hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    if (path == nullptr) {
        sim::Fail("RegCloseKey of a key that is not open");
        return ERROR_INVALID_HANDLE;
    }
    sim::State().openKeys.erase(reinterpret_cast<ULONG_PTR>(hKey));
    --machine.openRegistryKeys;
    return ERROR_SUCCESS;
}

}  // extern "C"
