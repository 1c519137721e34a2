#include <windows.h>

#include "core/FileOs.h"

namespace fileos {

namespace {
HANDLE AsHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
}  // namespace

long Open(const char* name, Access access, Handle& handle) {
    const DWORD desired = access == Access::read ? GENERIC_READ : GENERIC_WRITE;
    const DWORD disposition = access == Access::createAndWrite ? CREATE_ALWAYS : OPEN_EXISTING;
    // Share mode 0: nobody else may open the file while it is open here.
    const HANDLE file = ::CreateFileA(name, desired, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<long>(::GetLastError());
    handle = reinterpret_cast<Handle>(file);
    return 0;
}

long Read(Handle handle, void* buffer, std::size_t size, std::size_t& got) {
    DWORD count = 0;
    const DWORD asked = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    if (!::ReadFile(AsHandle(handle), buffer, asked, &count, nullptr)) return static_cast<long>(::GetLastError());
    got = count;
    return 0;
}

long Write(Handle handle, const void* bytes, std::size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const DWORD asked = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
        DWORD count = 0;
        if (!::WriteFile(AsHandle(handle), next, asked, &count, nullptr)) return static_cast<long>(::GetLastError());
        if (count == 0) return ERROR_WRITE_FAULT;  // no progress and no error: do not spin
        next += count;
        size -= count;
    }
    return 0;
}

long Close(Handle handle) { return ::CloseHandle(AsHandle(handle)) ? 0 : static_cast<long>(::GetLastError()); }

CString Describe(long error) {
    char text[512];
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                    static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) --length;
    if (length == 0) {
        CString code;
        code.Format("%ld", error);
        return code;
    }
    return CString(text, static_cast<int>(length));
}

}  // namespace fileos
