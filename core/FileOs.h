// The operating-system side of CFile: binary I/O on a handle. One source file per platform
// implements it (FileOsPosix.cpp, FileOsWin32.cpp). Each call returns 0 or the system's error code.
// File names are bytes as the system takes them on POSIX, and UTF-8 on Windows (where the system
// gets them as UTF-16), here and in the names these calls return.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/String.h"

namespace fileos {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

// Opens for reading, exclusively (no sharing while open). A directory does not open, nor a pipe:
// reading one would wait for its writer.
long Open(const char* name, Handle& handle);
// True when `error`, from Open, says that no file of that name exists.
bool IsNotFound(long error);
// `got` is 0 at the end of the file.
long Read(Handle handle, void* buffer, std::size_t size, std::size_t& got);
// Writes all `size` bytes or fails.
long Write(Handle handle, const void* bytes, std::size_t size);
long Close(Handle handle);
// The system's own description of an error code, in the system's language: UTF-8 on Windows, the
// locale's encoding on POSIX.
CString Describe(long error);

// Writing a file whole by replacement. OpenReplacement opens a new file, `temporary`, beside
// `target`, the file `name` leads to once symbolic links are followed; Replace flushes it to the
// disk, closes it and moves it over the target in one step; Remove deletes a temporary file that
// is not to be used. Until Replace succeeds the target holds what it held. OpenReplacement fails
// where opening `name` for writing would (a directory, a file that may not be written or that
// another program holds open) and where no file can be made beside it. A target that is not a
// regular file (a device, a pipe) is opened itself and written in place: there is no file to
// replace, and moving one over a device node would destroy the node. So is a file that may be
// written in a folder that takes no new file, as it always could be. `temporary` is then empty.
long OpenReplacement(const char* name, Handle& handle, CString& temporary, CString& target);
long Replace(Handle handle, const char* temporary, const char* target);
void Remove(const char* temporary);

}  // namespace fileos
