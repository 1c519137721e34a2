// msg.dat: the one message kept between runs, in the current directory, stored through text
// mode (each LF as CR LF) with nothing added: no header, no final line break. The rule is two
// functions over bytes, the same for every front end; rules/MessageStore.h puts them on a disk.
#pragma once

#include "core/String.h"

// Relative on purpose: resolved against the current directory each time it is opened.
inline constexpr char kMessageFileName[] = "msg.dat";

// The bytes msg.dat holds for `message`, the editor's text (line breaks CR LF).
CString MessageFileBytes(const CString& message);
// The message a msg.dat holding `stored` gives back: the editor's line breaks, saved as CR CR LF,
// come back whole; a file written elsewhere with CR LF line ends loads without a trailing break.
CString MessageFromFileBytes(const CString& stored);
