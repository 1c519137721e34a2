#include "gtk/Questions.h"

#include <glibmm/convert.h>

#include "gtk/Cp949.h"
#include "rules/Texts.h"

namespace {

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

}  // namespace

void Questions::Ask(const Question& question, std::function<void(Reply)> onAnswer) {
    // The reason is the system's own words, in the locale's encoding.
    Glib::ustring detail = Glib::locale_to_utf8(static_cast<const char*>(question.reason));
    if (*question.choice != '\0') detail += (detail.empty() ? "" : "\n\n") + FromCp949(question.choice);
    const Glib::ustring text = FromCp949(question.text);
    // OK is named by the toolkit, in the desktop's language; the questions' buttons as on Windows.
    const bool ok = question.buttons == Buttons::kOk;
    m_dialog = std::make_unique<Gtk::MessageDialog>(m_parent, text, false, Gtk::MessageType::WARNING,
                                                    ok ? Gtk::ButtonsType::OK : Gtk::ButtonsType::NONE, true);
    m_dialog->set_title(text);  // also what a window list shows, and what tests can read
    m_dialog->set_secondary_text(detail);
    for (const auto& [buttons, label, reply] : kButtons)
        if (buttons == question.buttons) m_dialog->add_button(FromCp949(label), static_cast<int>(reply));
    m_dialog->signal_response().connect([this, onAnswer](int response) {
        m_dialog->hide();
        onAnswer(response == Gtk::ResponseType::OK ? Reply::kOk
                 : response < 0                    ? Reply::kDismissed
                                                   : static_cast<Reply>(response));
    });
    m_dialog->show();
}
