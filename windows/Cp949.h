// The edges between the windows' Unicode (UTF-16) and the bytes the rules work in: code page 949,
// named as such and converted by the system's own tables, whatever the system's ANSI code page is.
#pragma once

#include <string>

#include "core/String.h"

// Code page 949 bytes from UTF-16 text. A character the code page lacks becomes the system's best
// fit for it or "?" (each half of a surrogate pair a "?" of its own), as it always has on a Korean
// Windows. `exact`, when given, says whether the code page holds every character as it is, so that
// the bytes give the text back.
CString ToCp949(const std::wstring& text, bool* exact = nullptr);
// UTF-16 text from code page 949 bytes. Bytes that start no character of the code page come out as
// the system's table has them.
std::wstring FromCp949(const CString& bytes);
// UTF-16 text from UTF-8, as the core describes a system error.
std::wstring FromUtf8(const CString& bytes);
