// The edges between GTK's Unicode (UTF-8) and the bytes the rules work in: code page 949, as the C
// library's converter has it.
#pragma once

#include <glibmm/ustring.h>

#include <string_view>

#include "core/String.h"

// Code page 949 bytes from UTF-8 text, which must be valid, as GTK hands it over. A character the
// code page lacks becomes "?".
CString ToCp949(std::string_view text);
// UTF-8 text from code page 949 bytes. Each byte that starts no character of the code page (a msg.dat
// written elsewhere may hold them) becomes "?".
Glib::ustring FromCp949(const CString& bytes);
