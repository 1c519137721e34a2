// What the composer marks in its view: the part of the message past the limit tinted, the
// characters that may not arrive underlined, and both explained, in a tooltip over them and, with the
// count, in the view's accessible description. Attached to the view, it owns its tags and the
// handler that underlines what comes into the buffer.
#pragma once

#include <gtkmm/textview.h>
#include <gtkmm/tooltip.h>

#include "core/String.h"

class Marks {
public:
    // Attached to `view`, whose buffer must be empty yet; `label` is what assistive technologies call
    // the view, rather than its class's name.
    Marks(Gtk::TextView& view, const Glib::ustring& label);

    // Tints what falls past the limit in `shown`, the text as shown in code page 949 bytes: the
    // buffer's, with `composing`, the syllable an input method is composing, at the cursor. `status`
    // is the count, as the title says it.
    void Show(const CString& shown, const Glib::ustring& composing, const Glib::ustring& status);

private:
    // Underlines the characters at risk in `text`, inserted into the buffer up to `end`. A character's
    // risk is its own: only the characters a change puts in are looked at.
    void OnInserted(Gtk::TextBuffer::iterator& end, const Glib::ustring& text, int bytes);
    // What the underline means for the characters at risk in `shown`; empty when there are none.
    CString Note(const CString& shown, const Glib::ustring& composing) const;
    // Over a character at risk, why; over one past the limit, the count.
    bool OnQueryTooltip(int x, int y, bool keyboard, const Glib::RefPtr<Gtk::Tooltip>& tooltip);
    void Describe(Gtk::Accessible::Property property, const Glib::ustring& text);

    Gtk::TextView& m_view;
    Glib::RefPtr<Gtk::TextTag> m_pastLimit;
    Glib::RefPtr<Gtk::TextTag> m_atRisk;
    Glib::ustring m_status;
    Glib::ustring m_description;
};
