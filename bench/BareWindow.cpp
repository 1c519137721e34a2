// The bare window: a gtkmm window holding a text view, whose only work on a change of the text, or
// of the syllable an input method is composing in it, is a title of the form quillet-gtk shows. tools/bench times
// quillet-gtk against it, so what this program leaves out (code page 949, msg.dat, the clipboard, the icon) is what is
// measured. It starts with the UTF-8 text of msg.txt, where there is one, all selected, as quillet-gtk shows its
// msg.dat.
#include <glibmm/fileutils.h>
#include <gtkmm/application.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>

class BareWindow : public Gtk::Window {
public:
    BareWindow() {
        set_title("문자쓰기");
        set_default_size(200, 194);
        m_textView.set_wrap_mode(Gtk::WrapMode::WORD_CHAR);
        m_textView.set_left_margin(4);
        m_textView.set_right_margin(4);
        m_scrolled.set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
        m_scrolled.set_child(m_textView);
        set_child(m_scrolled);
        const auto buffer = m_textView.get_buffer();
        if (Glib::file_test("msg.txt", Glib::FileTest::EXISTS)) {
            buffer->set_text(Glib::file_get_contents("msg.txt"));
            Update();
        }
        buffer->signal_changed().connect(sigc::mem_fun(*this, &BareWindow::Update));
        signal_map().connect([buffer] { buffer->select_range(buffer->begin(), buffer->end()); });
        g_signal_connect(m_textView.gobj(), "preedit-changed", G_CALLBACK(&BareWindow::OnPreeditChanged), this);
    }

private:
    static void OnPreeditChanged(GtkTextView*, const char* preedit, gpointer window) {
        static_cast<BareWindow*>(window)->m_preedit = preedit;
        static_cast<BareWindow*>(window)->Update();
    }

    void Update() {
        const int length = static_cast<int>(m_textView.get_buffer()->get_text().bytes() + m_preedit.bytes());
        set_title(Glib::ustring::format(length <= 80 ? 80 - length : length - 80,
                                        length <= 80 ? " 바이트 남음" : " 바이트 초과"));
    }

    Glib::ustring m_preedit;
    Gtk::ScrolledWindow m_scrolled;
    Gtk::TextView m_textView;
};

int main() {
    const auto app = Gtk::Application::create("org.quillet.BareWindow", Gio::Application::Flags::NON_UNIQUE);
    return app->make_window_and_run<BareWindow>(0, nullptr);
}
