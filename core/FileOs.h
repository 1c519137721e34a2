// The operating-system side of CFile: binary I/O on a handle. One source file per platform
// implements it (FileOsPosix.cpp, FileOsWin32.cpp). Each call returns 0 or the system's error code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/String.h"

namespace fileos {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

enum class Access { read, write, createAndWrite };

// Opens exclusively (no sharing while open). A directory does not open.
long Open(const char* name, Access access, Handle& handle);
// `got` is 0 at the end of the file.
long Read(Handle handle, void* buffer, std::size_t size, std::size_t& got);
// Writes all `size` bytes or fails.
long Write(Handle handle, const void* bytes, std::size_t size);
long Close(Handle handle);
// The system's own description of an error code, in the system's language.
CString Describe(long error);

}  // namespace fileos
