#include "gtk/ComposerWindow.h"

#include <gdkmm/contentprovider.h>
#include <gdkmm/texture.h>
#include <gdkmm/toplevel.h>
#include <glibmm/convert.h>
#include <glibmm/main.h>
#include <gtkmm/application.h>
#include <gtkmm/eventcontrollerkey.h>
#include <gtkmm/eventcontrollerlegacy.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/tooltip.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/LengthStatus.h"
#include "rules/LineBreaks.h"
#include "rules/MessageStore.h"
#include "rules/Texts.h"

namespace {

constexpr char kIcon[] = "/org/quillet/Quillet/icons/48x48/apps/org.quillet.Quillet.png";

// Code page 949 as the C library's converter has it, in two tables made once from every two-byte
// sequence: the update step converts the whole message at every change, and the converter itself
// takes some 3 ns a byte each way, more than GTK's own work on a keystroke in a long text.
class CodePage {
public:
    static const CodePage& Get() {
        static const CodePage page;
        return page;
    }

    // A character the code page lacks becomes "?". The text is valid UTF-8, as GTK hands it over.
    CString FromUtf8(std::string_view text) const {
        CString bytes;
        char* const start = bytes.GetBuffer(static_cast<int>(text.size()));  // never longer than UTF-8
        char* out = start;
        const auto* in = reinterpret_cast<const unsigned char*>(text.data());
        for (const auto* end = in + text.size(); in < end;) {
            // Decoded here rather than by GLib: a call per character would take most of the time.
            std::size_t character = *in;
            if (character < 0x80) {
                *out++ = static_cast<char>(*in++);
                continue;
            }
            if (character < 0xe0) {
                character = (character & 0x1f) << 6 | (in[1] & 0x3f);
                in += 2;
            } else if (character < 0xf0) {
                character = (character & 0x0f) << 12 | (in[1] & 0x3f) << 6 | (in[2] & 0x3f);
                in += 3;
            } else {
                character = m_encoded.size();  // beyond the Basic Multilingual Plane, and the code page
                in += 4;
            }
            const std::uint16_t pair = character < m_encoded.size() ? m_encoded[character] : 0;
            if (pair == 0) {
                *out++ = '?';
            } else {
                *out++ = static_cast<char>(pair >> 8);
                *out++ = static_cast<char>(pair & 0xff);
            }
        }
        bytes.ReleaseBuffer(static_cast<int>(out - start));
        return bytes;
    }

    // Each byte that starts no character of the code page (a msg.dat written elsewhere may hold them)
    // becomes "?".
    Glib::ustring ToUtf8(const CString& bytes) const {
        std::string text(static_cast<std::size_t>(bytes.GetLength()) * 3 / 2 + 1, '\0');  // 2 bytes become 3 at most
        char* out = text.data();
        const auto* in = reinterpret_cast<const unsigned char*>(static_cast<const char*>(bytes));
        for (const auto* end = in + bytes.GetLength(); in < end;) {
            const unsigned character = *in < 0x80 || in + 1 == end ? 0 : Decoded(in[0], in[1]);
            if (character == 0) {
                *out++ = *in < 0x80 ? static_cast<char>(*in) : '?';
                ++in;
                continue;
            }
            if (character < 0x800) {
                *out++ = static_cast<char>(0xc0 | character >> 6);
            } else {
                *out++ = static_cast<char>(0xe0 | character >> 12);
                *out++ = static_cast<char>(0x80 | (character >> 6 & 0x3f));
            }
            *out++ = static_cast<char>(0x80 | (character & 0x3f));
            in += 2;
        }
        text.resize(static_cast<std::size_t>(out - text.data()));
        return Glib::ustring(std::move(text));
    }

private:
    static constexpr int kTrails = 0xff - 0x41;  // a trail byte is 0x41 to 0xfe, a lead byte 0x81 to 0xfe

    CodePage() : m_decoded(kTrails * (0xff - 0x81)), m_encoded(0x10000) {
        Glib::IConv iconv("WCHAR_T", "CP949");  // UCS-4: no step beyond the code page's own
        for (int lead = 0x81; lead < 0xff; ++lead) {
            for (int trail = 0x41; trail < 0xff; ++trail) {
                char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
                wchar_t character = 0;
                char* in = pair;
                char* out = reinterpret_cast<char*>(&character);
                gsize inLeft = sizeof pair, outLeft = sizeof character;
                // Some sequences give no character at all without an error.
                if (iconv.iconv(&in, &inLeft, &out, &outLeft) != 0 || outLeft != 0) {
                    iconv.reset();
                    continue;
                }
                if (static_cast<std::size_t>(character) >= m_encoded.size()) continue;
                const auto unit = static_cast<std::uint16_t>(character);
                m_decoded[(lead - 0x81) * kTrails + trail - 0x41] = unit;
                // Where two sequences give one character, the first is its encoding, as the converter has it.
                if (m_encoded[unit] == 0) m_encoded[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
    }

    unsigned Decoded(unsigned char lead, unsigned char trail) const {
        return lead > 0x80 && lead < 0xff && trail >= 0x41 && trail < 0xff
                   ? m_decoded[(lead - 0x81) * kTrails + trail - 0x41]
                   : 0;
    }

    std::vector<std::uint16_t> m_decoded;  // by lead and trail byte: the character, or 0
    std::vector<std::uint16_t> m_encoded;  // by character of the Basic Multilingual Plane: lead << 8 | trail, or 0
};

CString ToCp949(std::string_view text) { return CodePage::Get().FromUtf8(text); }

Glib::ustring FromCp949(const CString& bytes) { return CodePage::Get().ToUtf8(bytes); }

// The buttons of each question but OK, in order, with the reply each gives.
constexpr struct {
    Buttons buttons;
    const char* label;
    Reply reply;
} kButtons[] = {{Buttons::kRetryCancel, kRetryButton, Reply::kRetry},
                {Buttons::kRetryCancel, kCancelButton, Reply::kCancel},
                {Buttons::kYesNoCancel, kYesButton, Reply::kYes},
                {Buttons::kYesNoCancel, kNoButton, Reply::kNo},
                {Buttons::kYesNoCancel, kCancelButton, Reply::kCancel}};

// What the view keeps of inserted text: each line break a single LF, as the view makes a typed one,
// and only characters code page 949 can represent, so that what is shown is what is counted.
Glib::ustring Shown(const Glib::ustring& text) {
    return FromCp949(LfEditorText(ToCp949(text.raw()), LfEditor::kHoldsCr));
}

// Runs [first, last) of buffer offsets, in order and apart.
using Runs = std::vector<std::pair<int, int>>;

// The runs `tag` is on, found from its toggles alone: the buffer finds each one without reading
// the text in between.
Runs Tagged(GtkTextBuffer* buffer, GtkTextTag* tag) {
    Runs runs;
    GtkTextIter at;
    gtk_text_buffer_get_start_iter(buffer, &at);
    if (gtk_text_iter_has_tag(&at, tag)) runs.emplace_back(0, 0);
    while (gtk_text_iter_forward_to_tag_toggle(&at, tag)) {
        const int offset = gtk_text_iter_get_offset(&at);
        if (gtk_text_iter_starts_tag(&at, tag))
            runs.emplace_back(offset, offset);
        else
            runs.back().second = offset;
    }
    return runs;
}

// What of `runs` lies outside `others`.
Runs Outside(const Runs& runs, const Runs& others) {
    Runs outside;
    auto other = others.begin();
    for (auto [first, last] : runs) {
        while (other != others.end() && other->second <= first) ++other;
        for (auto next = other; first < last; ++next) {
            if (next == others.end() || next->first >= last) {
                outside.emplace_back(first, last);
                break;
            }
            if (next->first > first) outside.emplace_back(first, next->first);
            first = std::max(first, next->second);
        }
    }
    return outside;
}

// Puts `tag` on `runs` and nowhere else, touching only where that differs from where it is: the
// buffer redraws every line a tag is put on or taken off, and most changes move a mark by a
// character or two, if at all.
void Retag(GtkTextBuffer* buffer, GtkTextTag* tag, const Runs& runs) {
    const Runs tagged = Tagged(buffer, tag);
    const auto change = [buffer, tag](const Runs& what, auto change) {
        for (const auto& [first, last] : what) {
            GtkTextIter start, end;
            gtk_text_buffer_get_iter_at_offset(buffer, &start, first);
            gtk_text_buffer_get_iter_at_offset(buffer, &end, last);
            change(buffer, tag, &start, &end);
        }
    };
    change(Outside(tagged, runs), gtk_text_buffer_remove_tag);
    change(Outside(runs, tagged), gtk_text_buffer_apply_tag);
}

}  // namespace

ComposerWindow::ComposerWindow() {
    set_title(FromCp949(kInitialTitle));
    set_default_size(200, 194);  // the Windows dialog's proportions, for the larger font
    m_textView.set_wrap_mode(Gtk::WrapMode::WORD_CHAR);
    m_textView.set_accepts_tab(false);  // Tab moves the focus, as in a dialog
    m_textView.set_left_margin(4);
    m_textView.set_right_margin(4);
    // What a screen reader calls the view, rather than its class's name: what it is for, as the
    // title says before the first change.
    gtk_accessible_update_property(GTK_ACCESSIBLE(m_textView.gobj()), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                   FromCp949(kInitialTitle).c_str(), -1);
    m_scrolled.set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
    m_scrolled.set_child(m_textView);
    set_child(m_scrolled);

    const auto buffer = m_textView.get_buffer();
    // A translucent red over the theme's own background, light or dark. Its components are 0 or 1:
    // AT-SPI reports each as one or the other.
    m_pastLimit = buffer->create_tag();
    m_pastLimit->property_background_rgba() = Gdk::RGBA(1, 0, 0, 0.2);
    // Wavy and orange, unlike the straight line an input method draws under its composition.
    m_atRisk = buffer->create_tag();
    m_atRisk->property_underline() = Pango::Underline::ERROR;
    m_atRisk->property_underline_rgba() = Gdk::RGBA(1, 0.5, 0, 1);
    m_textView.set_has_tooltip();
    m_textView.signal_query_tooltip().connect(sigc::mem_fun(*this, &ComposerWindow::OnQueryTooltip), false);
    std::optional<CString> message;
    AtStart atStart = AtStart::kUnreadable;
    try {
        message = LoadMessageFile(&atStart);
    } catch (const CFileException& error) {
        Ask(FileError(error.GetFileName(), error.GetErrorMessage()), [](Reply) {});
    }
    m_conversation = CloseConversation(atStart);
    if (message) {
        // What OnInsert would keep of it, without converting it twice more: decoded text holds only
        // characters of the code page.
        const Glib::ustring text = FromCp949(LfEditorText(*message, LfEditor::kHoldsCr));
        buffer->set_text(text);
        MarkAtRisk(0, text);
    }
    buffer->signal_insert().connect(sigc::mem_fun(*this, &ComposerWindow::OnInsert), false);
    buffer->signal_insert().connect(sigc::mem_fun(*this, &ComposerWindow::OnInserted), true);
    buffer->signal_changed().connect(sigc::mem_fun(*this, &ComposerWindow::OnChanged));
    // gtkmm does not wrap the view's preedit signal, hence GObject's own connection.
    g_signal_connect(m_textView.gobj(), "preedit-changed", G_CALLBACK(&ComposerWindow::OnPreeditChanged), this);
    if (message) OnChanged();

    const auto keys = Gtk::EventControllerKey::create();
    keys->signal_key_pressed().connect(sigc::mem_fun(*this, &ComposerWindow::OnKeyPressed), false);
    add_controller(keys);
    // Once the window is closing, no key reaches the view: IBus filters keys asynchronously and may
    // hand one back (the release of Esc, say) after the message is saved.
    const auto closingKeys = Gtk::EventControllerLegacy::create();
    closingKeys->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
    closingKeys->signal_event().connect(sigc::mem_fun(*this, &ComposerWindow::OnClosingEvent), false);
    add_controller(closingKeys);
    // The icon straight from the program's resources: looking it up by name would first load the
    // desktop's icon themes, a tenth of the start-up.
    signal_realize().connect([this] {
        if (const auto toplevel = std::dynamic_pointer_cast<Gdk::Toplevel>(get_surface()))
            toplevel->set_icon_list({Gdk::Texture::create_from_resource(kIcon)});
    });
    // All selected, so that the first key replaces it, once the window first has the keyboard focus:
    // then the selection is also the desktop's primary selection, as any other made in the view, and
    // the message is offered to the clipboard again. On Wayland only the focused window may take
    // either, and the view drops a selection the primary selection refused.
    property_is_active().signal_changed().connect([this, buffer] {
        if (!is_active() || std::exchange(m_focused, true)) return;
        buffer->select_range(buffer->begin(), buffer->end());
        if (m_copied) get_clipboard()->set_content(Gdk::ContentProvider::create("text/plain;charset=utf-8", m_copied));
    });
    signal_close_request().connect(sigc::mem_fun(*this, &ComposerWindow::OnCloseRequest), false);
}

ComposerWindow::~ComposerWindow() = default;

void ComposerWindow::OnInsert(Gtk::TextBuffer::iterator& position, const Glib::ustring& text, int) {
    // Text put in ends the composition shown: an input method commits what it was composing, and
    // only then shows what it composes next (on Wayland GTK hands the commit over first).
    m_preedit.clear();
    m_withdrawn.clear();
    const Glib::ustring shown = Shown(text);
    // Bytes compared: ustring's own comparison collates, normalising Hangul in quadratic time.
    if (shown.raw() == text.raw()) return;
    const auto buffer = m_textView.get_buffer();
    // Stopped before the text goes in, so no change is ever seen with the original text. The
    // caller's position must end up after the inserted text, as if its own insertion had been made.
    g_signal_stop_emission_by_name(buffer->gobj(), "insert-text");
    position = buffer->insert(position, shown);
}

void ComposerWindow::OnInserted(Gtk::TextBuffer::iterator& end, const Glib::ustring& text, int) {
    MarkAtRisk(end.get_offset() - static_cast<int>(text.length()), text);
}

void ComposerWindow::MarkAtRisk(int offset, const Glib::ustring& text) {
    const auto buffer = m_textView.get_buffer();
    const auto at = [&buffer, offset](int index) { return buffer->get_iter_at_offset(offset + index); };
    // Text put in where the underline is may have taken it on.
    buffer->remove_tag(m_atRisk, at(0), at(static_cast<int>(text.length())));
    for (const auto& [first, last] : FindAtRisk(ToCp949(text.raw())).runs)
        buffer->apply_tag(m_atRisk, at(first), at(last));
}

void ComposerWindow::OnPreeditChanged(GtkTextView*, const char* preedit, gpointer window) {
    auto* self = static_cast<ComposerWindow*>(window);
    // The input method commits the syllable being composed when the window loses the keyboard focus;
    // on Wayland GTK drops what comes once the focus has gone, and the syllable would leave the text
    // (though not the clipboard, which a window without the focus cannot offer to): it is put in here.
    if (!*preedit && !self->is_active()) self->m_withdrawn = self->m_preedit;
    self->m_preedit = preedit;
    // A composition ends with the preedit cleared just before its syllable is committed: the update
    // waits for pending events, and after a cleared preedit a moment longer, so that the count and
    // the clipboard never drop the syllable in between. On Wayland the syllable comes in an event of
    // its own, a few milliseconds later.
    const auto update = [self] {
        if (!self->m_withdrawn.empty())
            self->m_textView.get_buffer()->insert_at_cursor(std::exchange(self->m_withdrawn, {}));
        self->OnChanged();
        return false;
    };
    self->m_preeditUpdate.disconnect();
    self->m_preeditUpdate = *preedit || !self->m_withdrawn.empty()
                                ? Glib::signal_idle().connect(update, Glib::PRIORITY_HIGH_IDLE)
                                : Glib::signal_timeout().connect(update, 200);
}

void ComposerWindow::CommitPreedit() {
    if (m_preedit.empty()) return;
    // Reset, IBus' Hangul engine drops its composition rather than commit it: the syllable is put
    // in here instead, where the view shows it.
    const Glib::ustring syllable = std::exchange(m_preedit, {});
    const auto buffer = m_textView.get_buffer();
    const int length = buffer->get_char_count();
    m_textView.reset_im_context();
    // In its synchronous mode (IBUS_ENABLE_SYNC_MODE=1) IBus commits the syllable within the reset, as
    // other input methods may: then it is in already.
    if (buffer->get_char_count() == length) buffer->insert_at_cursor(syllable);
}

void ComposerWindow::OnChanged() {
    m_preeditUpdate.disconnect();
    const auto text = ViewText(m_preedit);
    gsize size = 0;
    CString bytes = ToCp949({static_cast<const char*>(text->get_data(size)), size});
    const int converted = bytes.GetLength();
    const int pastLimit = PastLimit(bytes);
    const CString note = Note(bytes);
    const CString message = NormaliseMessage(std::move(bytes));
    // The view holds only characters of the code page (OnInsert sees to it): unless a CR went, or
    // the syllable being composed is outside the code page, the message in UTF-8 is the text itself,
    // and converting it back would cost as much again as the rest of the update. The clipboard
    // offers it as set_text would, without copying it.
    Glib::RefPtr<Glib::Bytes> copy = text;
    if (message.GetLength() != converted || Shown(m_preedit).raw() != m_preedit.raw()) {
        const Glib::ustring utf8 = FromCp949(message);
        copy = Glib::Bytes::create(utf8.data(), utf8.bytes());
    }
    // Offered again only when it changed: committed, the syllable being composed is on the clipboard
    // already. On Wayland an offer made as the program ends would empty it: the shell keeps a copy of
    // what a program offers once it has read it, and one that ends first leaves nothing behind.
    if (!m_copied || !g_bytes_equal(copy->gobj(), m_copied->gobj())) {
        m_copied = copy;
        get_clipboard()->set_content(Gdk::ContentProvider::create("text/plain;charset=utf-8", copy));
    }
    const Glib::ustring status = FromCp949(ComputeLengthStatus(message));
    set_title(status);
    Mark(pastLimit, status, note);
}

CString ComposerWindow::Note(const CString& shown) {
    // Read through only when some character is at risk: the buffer's underline, or the syllable
    // being composed, says whether one is.
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(m_textView.get_buffer()->gobj(), &start);
    const bool some = gtk_text_iter_has_tag(&start, m_atRisk->gobj()) ||
                      gtk_text_iter_forward_to_tag_toggle(&start, m_atRisk->gobj()) ||
                      !FindAtRisk(ToCp949(m_preedit.raw())).runs.empty();
    return some ? FindAtRisk(shown).note : CString();
}

void ComposerWindow::Mark(int pastLimit, const Glib::ustring& status, const CString& note) {
    const auto buffer = m_textView.get_buffer();
    // The syllable being composed is shown at the cursor, but is not in the buffer: the characters
    // after it are one place further in the text as shown. GTK draws it with the tags on at the cursor.
    const int cursor = m_preedit.empty() ? 0 : buffer->property_cursor_position().get_value();
    const int from =
        pastLimit <= cursor ? pastLimit : std::max(cursor, pastLimit - static_cast<int>(m_preedit.length()));
    Runs past;
    if (const int end = buffer->get_char_count(); pastLimit >= 0 && from < end) past.emplace_back(from, end);
    Retag(buffer->gobj(), m_pastLimit->gobj(), past);

    // What a screen reader says of the view: the count, which the title shows, as the user types,
    // and what the underline means, which a tooltip shows.
    Glib::ustring description = status;
    if (!note.IsEmpty()) description += "\n" + FromCp949(note);
    if (description.raw() == m_description.raw()) return;
    m_description = description;
    Glib::Value<Glib::ustring> value;
    value.init(Glib::Value<Glib::ustring>::value_type());
    value.set(description);
    m_textView.update_property(Gtk::Accessible::Property::DESCRIPTION, value);
}

bool ComposerWindow::OnQueryTooltip(int x, int y, bool keyboard, const Glib::RefPtr<Gtk::Tooltip>& tooltip) {
    const auto buffer = m_textView.get_buffer();
    Gtk::TextIter at = buffer->get_insert()->get_iter();
    if (!keyboard) {
        m_textView.window_to_buffer_coords(Gtk::TextWindowType::WIDGET, x, y, x, y);
        if (!m_textView.get_iter_at_location(at, x, y)) return false;
    }
    Glib::ustring text;
    if (at.has_tag(m_atRisk)) text = FromCp949(FindAtRisk(ToCp949(Glib::ustring(1, at.get_char()).raw())).note);
    if (at.has_tag(m_pastLimit)) text += (text.empty() ? "" : "\n") + get_title();
    if (text.empty()) return false;
    tooltip->set_text(text);
    return true;
}

Glib::RefPtr<Glib::Bytes> ComposerWindow::ViewText(const Glib::ustring& preedit) {
    GtkTextBuffer* const buffer = m_textView.get_buffer()->gobj();
    GtkTextIter begin, cursor, end;
    gtk_text_buffer_get_bounds(buffer, &begin, &end);
    // GTK's own string, taken over: gtkmm's get_text would copy it once more.
    if (preedit.empty()) {
        char* text = gtk_text_buffer_get_text(buffer, &begin, &end, true);
        return Glib::wrap(g_bytes_new_take(text, std::strlen(text)));
    }
    // The text before the cursor and after it are read apart: finding the cursor in the whole text
    // walked its UTF-8 from the start, as long as converting it, at every change of the composition.
    gtk_text_buffer_get_iter_at_mark(buffer, &cursor, gtk_text_buffer_get_insert(buffer));
    char* const before = gtk_text_buffer_get_text(buffer, &begin, &cursor, true);
    char* const after = gtk_text_buffer_get_text(buffer, &cursor, &end, true);
    const std::size_t head = std::strlen(before), tail = std::strlen(after), length = head + preedit.bytes() + tail;
    char* const whole = static_cast<char*>(g_malloc(length + 1));
    std::memcpy(whole, before, head);
    std::memcpy(whole + head, preedit.data(), preedit.bytes());
    std::memcpy(whole + head + preedit.bytes(), after, tail + 1);
    g_free(before);
    g_free(after);
    return Glib::wrap(g_bytes_new_take(whole, length));
}

bool ComposerWindow::OnKeyPressed(guint keyval, guint, Gdk::ModifierType) {
    if (keyval != GDK_KEY_Escape) return false;
    close();
    return true;
}

bool ComposerWindow::OnClosingEvent(const Glib::RefPtr<const Gdk::Event>& event) {
    const Gdk::Event::Type type = event->get_event_type();
    return m_closing && (type == Gdk::Event::Type::KEY_PRESS || type == Gdk::Event::Type::KEY_RELEASE);
}

bool ComposerWindow::OnCloseRequest() {
    if (!m_closing) Follow(m_conversation.Close(Closing::kByUser));
    return true;
}

void ComposerWindow::SaveUnasked() {
    if (!m_closing) Follow(m_conversation.Close(Closing::kSessionMayEnd));
}

void ComposerWindow::CloseUnasked() {
    if (!m_closing) Follow(m_conversation.Close(Closing::kSessionEnds));
}

void ComposerWindow::Follow(CloseStep step) {
    switch (step) {
        case CloseStep::kSave:
            return Follow(Save());
        case CloseStep::kAsk:
            // The answer is followed once the dialog's signal is over: it may close the window, or ask again.
            return Ask(m_conversation.Asked(), [this](Reply reply) {
                Glib::signal_idle().connect_once([this, reply] { Follow(m_conversation.Answered(reply)); });
            });
        case CloseStep::kClose:
            return Leave();
        case CloseStep::kStay:
            return;
    }
}

CloseStep ComposerWindow::Save() {
    CommitPreedit();
    return SaveAsAsked(m_conversation, [this] {
        gsize size = 0;
        const auto view = ViewText({});
        return MessageFromLfEditorText(ToCp949({static_cast<const char*>(view->get_data(size)), size}));
    });
}

void ComposerWindow::Leave() {
    if (m_closing) return;
    // On X11 the clipboard's text lives in this process: offer it to the clipboard manager before
    // leaving. Without one the store fails at once, and the text goes with the program.
    // gtkmm does not wrap the store, hence GDK's own call.
    m_closing = true;
    gdk_clipboard_store_async(get_clipboard()->gobj(), G_PRIORITY_DEFAULT, nullptr, &ComposerWindow::OnStored, this);
}

void ComposerWindow::OnStored(GObject* clipboard, GAsyncResult* result, gpointer window) {
    gdk_clipboard_store_finish(GDK_CLIPBOARD(clipboard), result, nullptr);
    // The program ends with the window still whole. Hidden, the window would be destroyed while
    // the program runs on, and a key IBus hands back after that would reach the destroyed view.
    static_cast<ComposerWindow*>(window)->get_application()->quit();
}

void ComposerWindow::Ask(const Question& question, std::function<void(Reply)> onAnswer) {
    // The reason is the system's own words, in the locale's encoding.
    Glib::ustring detail = Glib::locale_to_utf8(static_cast<const char*>(question.reason));
    if (*question.choice != '\0') detail += (detail.empty() ? "" : "\n\n") + FromCp949(question.choice);
    const Glib::ustring text = FromCp949(question.text);
    // OK is named by the toolkit, in the desktop's language; the questions' buttons as on Windows.
    const bool ok = question.buttons == Buttons::kOk;
    m_errorDialog = std::make_unique<Gtk::MessageDialog>(*this, text, false, Gtk::MessageType::WARNING,
                                                         ok ? Gtk::ButtonsType::OK : Gtk::ButtonsType::NONE, true);
    m_errorDialog->set_title(text);  // also what a window list shows, and what tests can read
    m_errorDialog->set_secondary_text(detail);
    for (const auto& [buttons, label, reply] : kButtons)
        if (buttons == question.buttons) m_errorDialog->add_button(FromCp949(label), static_cast<int>(reply));
    m_errorDialog->signal_response().connect([this, onAnswer](int response) {
        m_errorDialog->hide();
        onAnswer(response == Gtk::ResponseType::OK ? Reply::kOk
                 : response < 0                    ? Reply::kDismissed
                                                   : static_cast<Reply>(response));
    });
    m_errorDialog->show();
}
