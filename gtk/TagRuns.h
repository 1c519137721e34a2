// A text buffer's tag as runs of character offsets: read from the buffer, compared, and put back
// where it changed.
#pragma once

#include <gtk/gtk.h>

#include <utility>
#include <vector>

// Runs [first, last) of buffer offsets, in order and apart.
using Runs = std::vector<std::pair<int, int>>;

// The runs `tag` is on, found from its toggles alone: the buffer finds each one without reading the
// text in between.
Runs Tagged(GtkTextBuffer* buffer, GtkTextTag* tag);

// What of `runs` lies outside `others`.
Runs Outside(const Runs& runs, const Runs& others);

// Puts `tag` on `runs` and nowhere else, touching only where that differs from where it is: the
// buffer redraws every line a tag is put on or taken off, and most changes move a mark by a
// character or two, if at all.
void Retag(GtkTextBuffer* buffer, GtkTextTag* tag, const Runs& runs);

// The run from the character at `shown` to `end`, the end of the buffer, in buffer offsets; none when
// `shown` is -1 or past the end. `shown` indexes the text as shown, with the `composing` characters an
// input method is composing at `cursor`, which the buffer does not hold: the characters after them
// are that many places further on.
Runs ToEnd(int shown, int cursor, int composing, int end);
