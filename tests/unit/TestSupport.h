// Helpers shared by the unit tests and the fuzz targets: byte strings written as hex, and the bytes
// of msg.dat.
#pragma once

#include <sstream>
#include <string>

#include "core/String.h"
#include "rules/MessageFile.h"

// "61 0D 0A" -> the three bytes.
inline std::string Bytes(const char* hex) {
    std::string bytes;
    std::istringstream in(hex);
    for (unsigned byte = 0; in >> std::hex >> byte;) bytes.push_back(static_cast<char>(byte));
    return bytes;
}

inline std::string Str(const CString& text) { return std::string(text, static_cast<size_t>(text.GetLength())); }
inline CString Text(const std::string& bytes) { return CString(bytes.data(), static_cast<int>(bytes.size())); }

// What msg.dat holds for `message`, and what a msg.dat holding `stored` gives back.
inline std::string Saved(const std::string& message) { return Str(MessageFileBytes(Text(message))); }
inline std::string Loaded(const std::string& stored) { return Str(MessageFromFileBytes(Text(stored))); }
