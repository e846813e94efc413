// Resource lookups of the class layer: every dialog template and string comes from the language
// set chosen at start-up (the thread's locale), or from the default set when that set lacks it.
// The lookups name the language explicitly, since only old systems' loaders follow the thread
// locale by themselves.
#include "framework/afxwin.h"
#include "res/resource.h"

HINSTANCE AfxGetResourceHandle() {
    return GetModuleHandleA(nullptr);
}

HRSRC AfxFindResource(LPCSTR lpszType, LPCSTR lpszName) {
    HINSTANCE module = AfxGetResourceHandle();
    WORD chosen = LANGIDFROMLCID(GetThreadLocale());
    HRSRC found = FindResourceExA(module, lpszType, lpszName, chosen);
    if (found == nullptr && chosen != DEFAULT_RESOURCE_LANGUAGE) {
        found = FindResourceExA(module, lpszType, lpszName, DEFAULT_RESOURCE_LANGUAGE);
    }
    return found;
}

namespace {

// A string table block holds sixteen counted UTF-16 strings; an absent one has the count 0.
bool FindStringInBlock(const WCHAR* block, DWORD blockUnits, UINT index, const WCHAR** text,
                       int* length) {
    DWORD at = 0;
    for (UINT i = 0; i < index; ++i) {
        if (at >= blockUnits) return false;
        at += 1 + block[at];
    }
    if (at >= blockUnits || block[at] > blockUnits - at - 1) return false;
    *text = block + at + 1;
    *length = block[at];
    return true;
}

}  // namespace

int AfxLoadString(UINT nID, LPSTR lpszBuf, int nBufferMax) {
    if (lpszBuf == nullptr || nBufferMax <= 0) return 0;
    lpszBuf[0] = '\0';
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = AfxFindResource(RT_STRING, MAKEINTRESOURCEA(nID / 16 + 1));
    if (resource == nullptr) return 0;
    const auto* block = static_cast<const WCHAR*>(LockResource(LoadResource(module, resource)));
    DWORD blockUnits = SizeofResource(module, resource) / sizeof(WCHAR);
    const WCHAR* text = nullptr;
    int length = 0;
    if (block == nullptr || !FindStringInBlock(block, blockUnits, nID % 16, &text, &length)) {
        return 0;
    }
    if (length > nBufferMax - 1) length = nBufferMax - 1;
    int copied = length == 0 ? 0
                             : WideCharToMultiByte(CP_ACP, 0, text, length, lpszBuf, nBufferMax - 1,
                                                   nullptr, nullptr);
    lpszBuf[copied] = '\0';
    return copied;
}
