#include <windows.h>

#include <string>

#include "core/FileOs.h"

namespace fileos {

namespace {

HANDLE AsHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }

// Names travel as UTF-8 and reach the system as UTF-16, so that any name works on any Windows.
std::wstring Wide(const char* name) {
    std::wstring wide(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, name, -1, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

CString Utf8(const wchar_t* text, int length) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    CString bytes;
    bytes.ReleaseBuffer(::WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.GetBuffer(size), size, nullptr, nullptr));
    return bytes;
}

HANDLE CreateFileUtf8(const char* name, DWORD access, DWORD disposition) {
    // Share mode 0: nobody else may open the file while it is open here.
    return ::CreateFileW(Wide(name).c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

long Open(const char* name, Handle& handle) {
    const HANDLE file = CreateFileUtf8(name, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return static_cast<long>(::GetLastError());
    handle = reinterpret_cast<Handle>(file);
    return 0;
}

bool IsNotFound(long error) { return error == ERROR_FILE_NOT_FOUND; }

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
    wchar_t text[512];
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                    static_cast<DWORD>(error), 0, text, sizeof text / sizeof *text, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) --length;
    if (length == 0) {
        CString code;
        code.Format("%ld", error);
        return code;
    }
    return Utf8(text, static_cast<int>(length));
}

long OpenReplacement(const char* name, Handle& handle, CString& temporary, CString& target) {
    target = name;
    temporary.Empty();
    // Opened as the file would be for writing: a folder, a read-only file and one that another
    // program holds open fail here, as they did when the file was written in place.
    const HANDLE probe = CreateFileUtf8(name, GENERIC_WRITE, OPEN_EXISTING);
    const bool existed = probe != INVALID_HANDLE_VALUE;
    if (!existed) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return static_cast<long>(error);
    } else {
        // Through a symbolic link, the file it leads to is replaced, not the link.
        const DWORD attributes = ::GetFileAttributesW(Wide(name).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            // Asked twice: first the length, with the terminating zero, then the path, without it.
            std::wstring path(::GetFinalPathNameByHandleW(probe, nullptr, 0, FILE_NAME_NORMALIZED), L'\0');
            const DWORD length = path.empty()
                                     ? 0
                                     : ::GetFinalPathNameByHandleW(probe, path.data(), static_cast<DWORD>(path.size()),
                                                                   FILE_NAME_NORMALIZED);
            if (length == 0 || length >= path.size()) {
                const DWORD error = length == 0 ? ::GetLastError() : ERROR_FILENAME_EXCED_RANGE;
                ::CloseHandle(probe);
                return static_cast<long>(error);
            }
            target = Utf8(path.data(), static_cast<int>(length));
        }
        ::CloseHandle(probe);
    }
    for (unsigned attempt = 0;; ++attempt) {
        temporary.Format("%s.%lu-%u.tmp", static_cast<const char*>(target), ::GetCurrentProcessId(), attempt);
        const HANDLE file = CreateFileUtf8(temporary, GENERIC_WRITE, CREATE_NEW);
        if (file != INVALID_HANDLE_VALUE) {
            handle = reinterpret_cast<Handle>(file);
            return 0;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS && attempt < 100) continue;
        temporary.Empty();
        if (error != ERROR_ACCESS_DENIED || !existed) return static_cast<long>(error);
        // A folder that takes no new file, holding a file that may be written: written in place, as
        // it always could be, rather than not at all.
        const HANDLE old = CreateFileUtf8(target, GENERIC_WRITE, TRUNCATE_EXISTING);
        if (old == INVALID_HANDLE_VALUE) return static_cast<long>(::GetLastError());
        handle = reinterpret_cast<Handle>(old);
        return 0;
    }
}

long Replace(Handle handle, const char* temporary, const char* target) {
    if (*temporary == '\0') return Close(handle);
    if (!::FlushFileBuffers(AsHandle(handle))) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(AsHandle(handle));
        return static_cast<long>(error);
    }
    if (!::CloseHandle(AsHandle(handle))) return static_cast<long>(::GetLastError());
    if (!::MoveFileExW(Wide(temporary).c_str(), Wide(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return static_cast<long>(::GetLastError());
    return 0;
}

void Remove(const char* temporary) { ::DeleteFileW(Wide(temporary).c_str()); }

}  // namespace fileos
