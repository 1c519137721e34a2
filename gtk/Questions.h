// What the close conversation asks, shown in a dialog over the composer's window.
#pragma once

#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include <functional>
#include <memory>

#include "rules/CloseConversation.h"

class Questions {
public:
    explicit Questions(Gtk::Window& parent) : m_parent(parent) {}

    // Shows `question` in Korean, as the Windows program does; `onAnswer` gets the button pressed, or
    // Reply::kDismissed for Esc.
    void Ask(const Question& question, std::function<void(Reply)> onAnswer);

private:
    Gtk::Window& m_parent;
    std::unique_ptr<Gtk::MessageDialog> m_dialog;
};
