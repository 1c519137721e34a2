// The composer: one text view whose every change updates the title (bytes left or over) and the
// clipboard, and whose text is kept in msg.dat when the window is dismissed. The message rules
// work on code page 949 bytes; the view holds UTF-8, and only what code page 949 can represent.
#pragma once

#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>

#include <memory>

#include "core/FileException.h"
#include "core/String.h"

namespace Gtk {
class MessageDialog;
}

class ComposerWindow : public Gtk::Window {
public:
    ComposerWindow();
    ~ComposerWindow() override;

private:
    // Text as it arrives, typed or pasted, before the buffer takes it.
    void OnInsert(Gtk::TextBuffer::iterator& position, const Glib::ustring& text, int bytes);
    // The update step: every change of the text runs it.
    void OnChanged();
    bool OnKeyPressed(guint keyval, guint keycode, Gdk::ModifierType state);
    // Saves the message; the window closes only once it is saved or msg.dat could not be opened.
    bool OnCloseRequest();
    // Closes the window once the clipboard manager has the text, or has failed to take it.
    static void OnStored(GObject* clipboard, GAsyncResult* result, gpointer window);
    // Report a failure in Korean, as the Windows program does, in a dialog over the window.
    void ShowFileError(const CFileException& error);
    void ShowError(const Glib::ustring& text, const Glib::ustring& detail);

    // The view's text as the Windows editor holds it: code page 949, each line break CR LF.
    CString MessageText() const;

    Gtk::ScrolledWindow m_scrolled;
    Gtk::TextView m_textView;
    std::unique_ptr<Gtk::MessageDialog> m_errorDialog;
    bool m_closing = false;
};
