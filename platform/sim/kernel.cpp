// The simulated kernel: last error, thread locale, debugger output, local memory, strings.
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/sim/machine.h"

using sim::Current;

namespace {

std::set<void*>& LiveBlocks() {
    static std::set<void*> blocks;
    return blocks;
}

}  // namespace

extern "C" {

DWORD WINAPI GetLastError(void) {
    return Current().lastError;
}

void WINAPI SetLastError(DWORD dwErrCode) {
    Current().lastError = dwErrCode;
}

LCID WINAPI GetThreadLocale(void) {
    return Current().threadLocale;
}

BOOL WINAPI SetThreadLocale(LCID Locale) {
    sim::Machine& machine = Current();
    machine.Enter("SetThreadLocale", std::to_string(Locale));
    machine.threadLocale = Locale;
    return TRUE;
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    Current().debugOutput.push_back(lpOutputString != nullptr ? lpOutputString : "");
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    sim::Machine& machine = Current();
    if (uFlags != LPTR) sim::Fail("LocalAlloc is only simulated with LPTR");
    if (std::optional<DWORD> error = machine.Enter("LocalAlloc", std::to_string(uBytes))) {
        machine.lastError = *error;
        return nullptr;
    }
    void* block = std::calloc(1, uBytes == 0 ? 1 : uBytes);
    LiveBlocks().insert(block);
    ++machine.liveLocalBlocks;
    return block;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
    if (hMem == nullptr) return nullptr;
    if (LiveBlocks().erase(hMem) == 0) {
        sim::Fail("LocalFree of a block that is not live");
        return hMem;
    }
    std::free(hMem);
    --Current().liveLocalBlocks;
    return nullptr;
}

int WINAPI lstrlenA(LPCSTR lpString) {
    return lpString == nullptr ? 0 : static_cast<int>(std::strlen(lpString));
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    if (lpModuleName != nullptr) sim::Fail("GetModuleHandleA is only simulated for the program");
    return reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x400000));
}

// The program's code page is Windows-1252; every text it holds lies in U+0020 to U+00FF.
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               BOOL* lpUsedDefaultChar) {
    if (CodePage != CP_ACP || dwFlags != 0 || lpDefaultChar != nullptr ||
        lpUsedDefaultChar != nullptr || cchWideChar < 0) {
        sim::Fail("WideCharToMultiByte is only simulated for CP_ACP with counted input");
        return 0;
    }
    if (cbMultiByte == 0) return cchWideChar;
    if (cbMultiByte < cchWideChar) {
        Current().lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    for (int i = 0; i < cchWideChar; ++i) {
        WCHAR unit = lpWideCharStr[i];
        lpMultiByteStr[i] = static_cast<char>(unit <= 0xFF ? unit : '?');
    }
    return cchWideChar;
}

}  // extern "C"
