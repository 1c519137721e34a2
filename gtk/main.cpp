#include <glib-unix.h>
#include <gtkmm/application.h>

#include <csignal>

#include "gtk/ComposerWindow.h"

namespace {

ComposerWindow* Composer(gpointer app) {
    return dynamic_cast<ComposerWindow*>(static_cast<Gtk::Application*>(app)->get_run_window());
}

// SIGTERM (a logout, a service manager, kill), SIGHUP (the terminal went away) and SIGINT (Ctrl-C)
// end the program as a close does, without asking: the message is saved first.
gboolean OnSignal(gpointer app) {
    if (ComposerWindow* window = Composer(app)) {
        window->CloseUnasked();
    } else {
        static_cast<Gtk::Application*>(app)->quit();
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace

int main() {
    // Several composers may run at once, each in its own directory, and the command line is not
    // read: no single-instance registration, no arguments handed to GApplication.
    const auto app = Gtk::Application::create("org.quillet.Quillet", Gio::Application::Flags::NON_UNIQUE);
    // A desktop session that ends asks the program first, which saves the message then.
    app->property_register_session() = true;
    app->signal_query_end().connect([&app] {
        if (ComposerWindow* window = Composer(app.get())) window->SaveUnasked();
    });
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) g_unix_signal_add(signal, &OnSignal, app.get());
    return app->make_window_and_run<ComposerWindow>(0, nullptr);
}
