#include "gtk/ComposerWindow.h"

#include <gdkmm/texture.h>
#include <gdkmm/toplevel.h>
#include <glibmm/convert.h>
#include <glibmm/main.h>
#include <gtkmm/application.h>
#include <gtkmm/eventcontrollerkey.h>
#include <gtkmm/eventcontrollerlegacy.h>
#include <gtkmm/messagedialog.h>

#include <cerrno>
#include <utility>

#include "rules/LengthStatus.h"
#include "rules/MessageFile.h"
#include "rules/Texts.h"

namespace {

constexpr char kIcon[] = "/org/quillet/Quillet/icons/48x48/apps/org.quillet.Quillet.png";

// Code page 949 bytes from UTF-8 text; a character the code page lacks becomes "?".
CString ToCp949(const Glib::ustring& text) {
    const std::string bytes = Glib::convert_with_fallback(text, "CP949", "UTF-8", "?");
    return CString(bytes.data(), static_cast<int>(bytes.size()));
}

// UTF-8 text from code page 949 bytes; each byte that starts no character of the code page (a
// msg.dat written elsewhere may hold them) becomes "?".
Glib::ustring FromCp949(const CString& bytes) {
    Glib::IConv iconv("UTF-8", "CP949");
    char* in = const_cast<char*>(static_cast<const char*>(bytes));
    gsize inLeft = static_cast<gsize>(bytes.GetLength());
    std::string text;
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        gsize outLeft = sizeof buffer;
        const bool stuck = iconv.iconv(&in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) && errno != E2BIG;
        text.append(buffer, static_cast<std::size_t>(out - buffer));
        if (stuck) {
            text += '?';
            ++in;
            --inLeft;
        }
    }
    return text;
}

CString Bytes(const Glib::ustring& text) { return CString(text.data(), static_cast<int>(text.bytes())); }

// What the view keeps of inserted text: each line break a single LF, as the view makes a typed one,
// and only characters code page 949 can represent, so that what is shown is what is counted.
Glib::ustring Shown(const Glib::ustring& text) {
    CString breaks = Bytes(text);
    breaks.Replace("\r\n", "\n");
    return FromCp949(ToCp949(static_cast<const char*>(breaks)));
}

}  // namespace

ComposerWindow::ComposerWindow() {
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
    buffer->signal_insert().connect(sigc::mem_fun(*this, &ComposerWindow::OnInsert), false);
    std::optional<CString> message;
    try {
        message = LoadMessageFile(&m_unreadable);
    } catch (const CFileException& error) {
        m_unreadable = true;
        ShowFileError(error);
    }
    if (message) buffer->set_text(FromCp949(*message));
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
    // All selected, so that the first key replaces it; once shown, so that the selection is also the
    // desktop's primary selection, as any other made in the view.
    signal_map().connect([buffer] { buffer->select_range(buffer->begin(), buffer->end()); });
    signal_close_request().connect(sigc::mem_fun(*this, &ComposerWindow::OnCloseRequest), false);
}

ComposerWindow::~ComposerWindow() = default;

void ComposerWindow::OnInsert(Gtk::TextBuffer::iterator& position, const Glib::ustring& text, int) {
    const Glib::ustring shown = Shown(text);
    if (shown == text) return;
    const auto buffer = m_textView.get_buffer();
    // Stopped before the text goes in, so no change is ever seen with the original text. The
    // caller's position must end up after the inserted text, as if its own insertion had been made.
    g_signal_stop_emission_by_name(buffer->gobj(), "insert-text");
    position = buffer->insert(position, shown);
}

void ComposerWindow::OnPreeditChanged(GtkTextView*, const char* preedit, gpointer window) {
    auto* self = static_cast<ComposerWindow*>(window);
    self->m_preedit = preedit;
    // A composition ends with the preedit cleared just before its syllable is committed: the
    // update waits for pending events, so the count never drops the syllable in between.
    if (!self->m_preeditUpdate.connected())
        self->m_preeditUpdate = Glib::signal_idle().connect(
            sigc::bind_return(sigc::mem_fun(*self, &ComposerWindow::OnChanged), false), Glib::PRIORITY_HIGH_IDLE);
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
    const CString text = NormaliseMessage(MessageText(m_preedit));
    get_clipboard()->set_text(FromCp949(text));
    set_title(FromCp949(ComputeLengthStatus(text)));
}

CString ComposerWindow::MessageText(const Glib::ustring& preedit) const {
    const auto buffer = m_textView.get_buffer();
    const auto cursor = buffer->get_iter_at_offset(buffer->property_cursor_position());
    CString text = Bytes(buffer->get_text(buffer->begin(), cursor, true) + preedit +
                         buffer->get_text(cursor, buffer->end(), true));
    text.Replace("\n", "\r\n");
    return ToCp949(static_cast<const char*>(text));
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
    if (!m_closing && SaveMessage(true)) Leave();
    return true;
}

void ComposerWindow::SaveUnasked() {
    if (!m_closing) SaveMessage(false);
}

void ComposerWindow::CloseUnasked() {
    SaveUnasked();
    Leave();
}

bool ComposerWindow::SaveMessage(bool mayAsk) {
    CommitPreedit();
    if (m_unreadable) {
        if (!mayAsk) return true;
        Ask(kUnreadableTemplate, "", kUnreadableChoice,
            {{kYesButton, Gtk::ResponseType::YES},
             {kNoButton, Gtk::ResponseType::NO},
             {kCancelButton, Gtk::ResponseType::CANCEL}},
            [this](int answer) {
                if (answer == Gtk::ResponseType::YES) {
                    m_unreadable = false;
                    close();
                } else if (answer == Gtk::ResponseType::NO) {
                    Leave();
                }
            });
        return false;
    }
    std::optional<CFileException> refused;
    try {
        refused = SaveMessageFile([this] { return MessageText({}); });
    } catch (const CFileException& error) {
        if (mayAsk) ShowFileError(error);
        return !mayAsk;  // open with its text; Esc tries again
    } catch (...) {
        // Whatever else fails, the window stays open with the message rather than lose it.
        if (mayAsk) ShowError(FromCp949(kUnexpectedError), "");
        return !mayAsk;
    }
    if (!refused || !mayAsk) return true;
    Ask(kCannotSaveTemplate, Glib::locale_to_utf8(refused->GetErrorMessage()), kCannotSaveChoice,
        {{kRetryButton, Gtk::ResponseType::OK}, {kCancelButton, Gtk::ResponseType::CANCEL}}, [this](int answer) {
            if (answer == Gtk::ResponseType::CANCEL) Leave();
        });
    return false;
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

void ComposerWindow::ShowFileError(const CFileException& error) {
    CString text;
    text.Format(kFileErrorTemplate, error.GetFileName());
    ShowError(FromCp949(text), Glib::locale_to_utf8(error.GetErrorMessage()));
}

void ComposerWindow::ShowError(const Glib::ustring& text, const Glib::ustring& detail) {
    m_errorDialog =
        std::make_unique<Gtk::MessageDialog>(*this, text, false, Gtk::MessageType::WARNING, Gtk::ButtonsType::OK, true);
    m_errorDialog->set_title(text);  // also what a window list shows, and what tests can read
    m_errorDialog->set_secondary_text(detail);
    m_errorDialog->signal_response().connect([this](int) { m_errorDialog->hide(); });
    m_errorDialog->show();
}

void ComposerWindow::Ask(const char* format, const Glib::ustring& reason, const char* choice,
                         std::initializer_list<std::pair<const char*, int>> buttons,
                         std::function<void(int)> onAnswer) {
    CString text;
    text.Format(format, kMessageFileName);
    m_errorDialog = std::make_unique<Gtk::MessageDialog>(*this, FromCp949(text), false, Gtk::MessageType::WARNING,
                                                         Gtk::ButtonsType::NONE, true);
    m_errorDialog->set_title(FromCp949(text));
    m_errorDialog->set_secondary_text((reason.empty() ? "" : reason + "\n\n") + FromCp949(choice));
    for (const auto& [label, response] : buttons) m_errorDialog->add_button(FromCp949(label), response);
    // The answer is acted on once the dialog's signal is over: it may close the window, or ask again.
    m_errorDialog->signal_response().connect([this, onAnswer](int answer) {
        m_errorDialog->hide();
        Glib::signal_idle().connect_once([onAnswer, answer] { onAnswer(answer); });
    });
    m_errorDialog->show();
}
