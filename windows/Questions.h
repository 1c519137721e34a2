// What the close conversation asks, and the reports of what failed, in the system's message box.
#pragma once

#include "rules/CloseConversation.h"

// `question` in a message box over the program's window, titled with its name: what happened, the
// system's reason and what each button does, a paragraph each, with the question's buttons.
Reply Ask(const Question& question);
