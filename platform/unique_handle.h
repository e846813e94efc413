// One owner type per handle kind, each releasing its handle exactly once. Releasing keeps the
// thread's last error, so a caller can still read the error of the call that failed.
#pragma once

#include "platform/win32.h"

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }

    // For calls that return the handle through an out parameter.
    Handle* put() {
        reset();
        return &handle_;
    }

    void reset(Handle handle = Traits::Invalid()) {
        if (valid()) {
            DWORD lastError = GetLastError();
            Traits::Close(handle_);
            SetLastError(lastError);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct HKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
struct DevInfoTraits {
    static HDEVINFO Invalid() { return INVALID_HANDLE_VALUE; }  // NOLINT(performance-no-int-to-ptr)
    static void Close(HDEVINFO set) { SetupDiDestroyDeviceInfoList(set); }
};
struct LocalTraits {
    static HLOCAL Invalid() { return nullptr; }
    static void Close(HLOCAL block) { LocalFree(block); }
};

using UniqueHKey = UniqueHandle<HKEY, HKeyTraits>;
using UniqueDevInfo = UniqueHandle<HDEVINFO, DevInfoTraits>;
using UniqueLocal = UniqueHandle<HLOCAL, LocalTraits>;
