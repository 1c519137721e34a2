#include <gtkmm/application.h>

#include "gtk/ComposerWindow.h"

int main() {
    // Several composers may run at once, each in its own directory, and the command line is not
    // read: no single-instance registration, no arguments handed to GApplication.
    const auto app = Gtk::Application::create("org.quillet.Quillet", Gio::Application::Flags::NON_UNIQUE);
    return app->make_window_and_run<ComposerWindow>(0, nullptr);
}
