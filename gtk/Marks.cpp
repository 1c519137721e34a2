#include "gtk/Marks.h"

#include "gtk/Cp949.h"
#include "gtk/TagRuns.h"
#include "rules/MessageMarks.h"

Marks::Marks(Gtk::TextView& view, const Glib::ustring& label) : m_view(view) {
    Describe(Gtk::Accessible::Property::LABEL, label);
    const auto buffer = m_view.get_buffer();
    // A translucent red over the theme's own background, light or dark. Its components are 0 or 1:
    // AT-SPI reports each as one or the other.
    m_pastLimit = buffer->create_tag();
    m_pastLimit->property_background_rgba() = Gdk::RGBA(1, 0, 0, 0.2);
    // Wavy and orange, unlike the straight line an input method draws under its composition.
    m_atRisk = buffer->create_tag();
    m_atRisk->property_underline() = Pango::Underline::ERROR;
    m_atRisk->property_underline_rgba() = Gdk::RGBA(1, 0.5, 0, 1);
    // After the buffer's own handler, so that only what it took in is looked at.
    buffer->signal_insert().connect(sigc::mem_fun(*this, &Marks::OnInserted), true);
    m_view.set_has_tooltip();
    m_view.signal_query_tooltip().connect(sigc::mem_fun(*this, &Marks::OnQueryTooltip), false);
}

void Marks::OnInserted(Gtk::TextBuffer::iterator& end, const Glib::ustring& text, int) {
    const auto buffer = m_view.get_buffer();
    const int offset = end.get_offset() - static_cast<int>(text.length());
    const auto at = [&buffer, offset](int index) { return buffer->get_iter_at_offset(offset + index); };
    // Text put in where the underline is may have taken it on.
    buffer->remove_tag(m_atRisk, at(0), at(static_cast<int>(text.length())));
    for (const auto& [first, last] : FindAtRisk(ToCp949(text.raw())).runs)
        buffer->apply_tag(m_atRisk, at(first), at(last));
}

void Marks::Show(const CString& shown, const Glib::ustring& composing, const Glib::ustring& status) {
    const auto buffer = m_view.get_buffer();
    // GTK draws the syllable being composed with the tags on at the cursor.
    Retag(buffer->gobj(), m_pastLimit->gobj(),
          ToEnd(PastLimit(shown), buffer->property_cursor_position().get_value(), static_cast<int>(composing.length()),
                buffer->get_char_count()));
    m_status = status;
    // What a screen reader says of the view: the count, which the title shows, as the user types,
    // and what the underline means, which a tooltip shows.
    Glib::ustring description = status;
    if (const CString note = Note(shown, composing); !note.IsEmpty()) description += "\n" + FromCp949(note);
    if (description.raw() == m_description.raw()) return;
    m_description = description;
    Describe(Gtk::Accessible::Property::DESCRIPTION, description);
}

CString Marks::Note(const CString& shown, const Glib::ustring& composing) const {
    // Read through only when some character is at risk: the buffer's underline, or the syllable
    // being composed, says whether one is.
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(m_view.get_buffer()->gobj(), &start);
    const bool some = gtk_text_iter_has_tag(&start, m_atRisk->gobj()) ||
                      gtk_text_iter_forward_to_tag_toggle(&start, m_atRisk->gobj()) ||
                      !FindAtRisk(ToCp949(composing.raw())).runs.empty();
    return some ? FindAtRisk(shown).note : CString();
}

bool Marks::OnQueryTooltip(int x, int y, bool keyboard, const Glib::RefPtr<Gtk::Tooltip>& tooltip) {
    Gtk::TextIter at = m_view.get_buffer()->get_insert()->get_iter();
    if (!keyboard) {
        m_view.window_to_buffer_coords(Gtk::TextWindowType::WIDGET, x, y, x, y);
        if (!m_view.get_iter_at_location(at, x, y)) return false;
    }
    Glib::ustring text;
    if (at.has_tag(m_atRisk)) text = FromCp949(FindAtRisk(ToCp949(Glib::ustring(1, at.get_char()).raw())).note);
    if (at.has_tag(m_pastLimit)) text += (text.empty() ? "" : "\n") + m_status;
    if (text.empty()) return false;
    tooltip->set_text(text);
    return true;
}

void Marks::Describe(Gtk::Accessible::Property property, const Glib::ustring& text) {
    Glib::Value<Glib::ustring> value;
    value.init(Glib::Value<Glib::ustring>::value_type());
    value.set(text);
    m_view.update_property(property, value);
}
