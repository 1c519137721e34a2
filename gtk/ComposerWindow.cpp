#include "gtk/ComposerWindow.h"

#include <gdkmm/contentprovider.h>
#include <gdkmm/texture.h>
#include <gdkmm/toplevel.h>
#include <glibmm/main.h>
#include <gtkmm/application.h>
#include <gtkmm/eventcontrollerkey.h>
#include <gtkmm/eventcontrollerlegacy.h>

#include <cstring>
#include <optional>
#include <utility>

#include "gtk/Cp949.h"
#include "rules/LengthStatus.h"
#include "rules/LineBreaks.h"
#include "rules/MessageStore.h"
#include "rules/Texts.h"

namespace {

constexpr char kIcon[] = "/org/quillet/Quillet/icons/48x48/apps/org.quillet.Quillet.png";

// What the view keeps of inserted text: each line break a single LF, as the view makes a typed one,
// and only characters code page 949 can represent, so that what is shown is what is counted.
Glib::ustring Shown(const Glib::ustring& text) {
    return FromCp949(LfEditorText(ToCp949(text.raw()), LfEditor::kHoldsCr));
}

}  // namespace

// A screen reader calls the view what it is for, as the title says before the first change.
ComposerWindow::ComposerWindow() : m_marks(m_textView, FromCp949(kInitialTitle)) {
    set_title(FromCp949(kInitialTitle));
    set_default_size(200, 194);  // the Windows dialog's proportions, for the larger font
    m_textView.set_wrap_mode(Gtk::WrapMode::WORD_CHAR);
    m_textView.set_accepts_tab(false);  // Tab moves the focus, as in a dialog
    m_textView.set_left_margin(4);
    m_textView.set_right_margin(4);
    m_scrolled.set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
    m_scrolled.set_child(m_textView);
    set_child(m_scrolled);

    const auto buffer = m_textView.get_buffer();
    std::optional<CString> message;
    AtStart atStart = AtStart::kUnreadable;
    try {
        message = LoadMessageFile(&atStart);
    } catch (const CFileException& error) {
        m_questions.Ask(FileError(error.GetFileName(), error.GetErrorMessage()), [](Reply) {});
    }
    m_conversation = CloseConversation(atStart);
    if (message) {
        // What OnInsert would keep of it, without converting it twice more: decoded text holds only
        // characters of the code page.
        buffer->set_text(FromCp949(LfEditorText(*message, LfEditor::kHoldsCr)));
    }
    buffer->signal_insert().connect(sigc::mem_fun(*this, &ComposerWindow::OnInsert), false);
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
    const CString shown = ToCp949({static_cast<const char*>(text->get_data(size)), size});
    const CString message = NormaliseMessage(shown);
    // The view holds only characters of the code page (OnInsert sees to it): unless a CR went, or
    // the syllable being composed is outside the code page, the message in UTF-8 is the text itself,
    // and converting it back would cost as much again as the rest of the update. The clipboard
    // offers it as set_text would, without copying it.
    Glib::RefPtr<Glib::Bytes> copy = text;
    if (message.GetLength() != shown.GetLength() || Shown(m_preedit).raw() != m_preedit.raw()) {
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
    m_marks.Show(shown, m_preedit, status);
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
            return m_questions.Ask(m_conversation.Asked(), [this](Reply reply) {
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
