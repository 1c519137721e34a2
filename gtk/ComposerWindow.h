// The composer: one text view whose every change updates the title (bytes left or over) and the
// clipboard, marks in the text what falls past the limit and what may not arrive, and whose text is
// kept in msg.dat when the window is dismissed. The syllable an input method is composing counts as
// if it were typed, and is committed before the text is kept. The message rules work on code page
// 949 bytes; the view holds UTF-8, and only what code page 949 can represent.
#pragma once

#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>

#include "gtk/Marks.h"
#include "gtk/Questions.h"
#include "rules/CloseConversation.h"

class ComposerWindow : public Gtk::Window {
public:
    ComposerWindow();
    ~ComposerWindow() override;

    // The desktop session is about to end: saves the message as it stands, asking nothing, since
    // nobody may be there to answer. A failure leaves msg.dat as it was.
    void SaveUnasked();
    // A signal ends the program: saves as above, then closes.
    void CloseUnasked();

private:
    // Text as it arrives, typed or pasted, before the buffer takes it.
    void OnInsert(Gtk::TextBuffer::iterator& position, const Glib::ustring& text, int bytes);
    // The update step: every change of the text, or of the composition, runs it.
    void OnChanged();
    // The input method's composition, shown at the cursor but not yet in the buffer.
    static void OnPreeditChanged(GtkTextView* view, const char* preedit, gpointer window);
    // Puts the syllable being composed into the text, as the next key would have; every way of
    // closing runs it before the text is saved.
    void CommitPreedit();
    bool OnKeyPressed(guint keyval, guint keycode, Gdk::ModifierType state);
    // Stops every key once the window is closing.
    bool OnClosingEvent(const Glib::RefPtr<const Gdk::Event>& event);
    // Esc and a close request: the window closes once the message is saved, or once the user,
    // asked, chose to close without saving.
    bool OnCloseRequest();
    // Every way out comes here: does what the close conversation says, step by step.
    void Follow(CloseStep step);
    // Saves the message, the syllable being composed committed first; returns what comes next.
    CloseStep Save();
    // Closes, the message saved or given up.
    void Leave();
    // Ends the program once the clipboard manager has the text, or has failed to take it.
    static void OnStored(GObject* clipboard, GAsyncResult* result, gpointer window);

    // The view's text with `preedit` at the cursor, in UTF-8.
    Glib::RefPtr<Glib::Bytes> ViewText(const Glib::ustring& preedit);

    Gtk::ScrolledWindow m_scrolled;
    Gtk::TextView m_textView;
    Marks m_marks;
    Questions m_questions{*this};
    Glib::ustring m_preedit;
    // The syllable the input method was composing when the window lost the keyboard focus, until it
    // is committed.
    Glib::ustring m_withdrawn;
    sigc::connection m_preeditUpdate;
    // The message as last offered to the clipboard, in UTF-8.
    Glib::RefPtr<Glib::Bytes> m_copied;
    bool m_focused = false;  // once the window has had the keyboard focus
    bool m_closing = false;
    CloseConversation m_conversation{AtStart::kAbsent};
};
