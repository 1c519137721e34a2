#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "rules/CloseConversation.h"
#include "tests/unit/TestSupport.h"

namespace {

// One step of a conversation, "event>outcome": the window asked to close (user, ends, mayend), a
// save's outcome (saved, open, write, failed) or the user's answer (ok, yes, no, retry, cancel,
// dismissed); then what the conversation says next (save, close, stay, or ask, its buttons and the
// system's reason the question gives).
std::string Follow(CloseConversation& closing, const std::string& event) {
    static const std::map<std::string, Closing> closings = {
        {"user", Closing::kByUser}, {"ends", Closing::kSessionEnds}, {"mayend", Closing::kSessionMayEnd}};
    static const std::map<std::string, Reply> replies = {{"ok", Reply::kOk},         {"yes", Reply::kYes},
                                                         {"no", Reply::kNo},         {"retry", Reply::kRetry},
                                                         {"cancel", Reply::kCancel}, {"dismissed", Reply::kDismissed}};
    const CloseStep step = closings.count(event) ? closing.Close(closings.at(event))
                           : event == "saved"    ? closing.Saved()
                           : event == "open"     ? closing.CannotOpen("denied")
                           : event == "write"    ? closing.CannotWrite("full")
                           : event == "failed"   ? closing.Failed()
                                                 : closing.Answered(replies.at(event));
    const char* actions[] = {"save", "ask", "close", "stay"};
    if (step != CloseStep::kAsk) return actions[int(step)];
    // A question names the file (but after a failure of no known kind), and says what each button does
    // unless OK is all there is to press.
    const Question& question = closing.Asked();
    EXPECT_EQ(Str(question.text).rfind("\"msg.dat\" ", 0), event == "failed" ? std::string::npos : 0u);
    EXPECT_EQ(*question.choice == '\0', question.buttons == Buttons::kOk) << question.choice;
    const char* asks[] = {"ask-ok", "ask-retry/cancel", "ask-yes/no/cancel"};
    return std::string(asks[int(question.buttons)]) + (question.reason.IsEmpty() ? "" : ":") + Str(question.reason);
}

}  // namespace

TEST(CloseConversation, SavesAsksClosesOrStays) {
    const struct {
        AtStart atStart;
        const char* steps;
    } conversations[] = {
        {AtStart::kRead, "user>save saved>close"},
        {AtStart::kAbsent,
         "user>save open>ask-retry/cancel:denied retry>stay user>save open>ask-retry/cancel:denied dismissed>stay "
         "user>save open>ask-retry/cancel:denied cancel>close"},
        {AtStart::kRead,
         "user>save write>ask-ok:full ok>stay user>save failed>ask-ok dismissed>stay user>save saved>close"},
        // Asked before a file that could not be read is replaced, and once only: replaced on yes.
        {AtStart::kUnreadable,
         "user>ask-yes/no/cancel cancel>stay user>ask-yes/no/cancel dismissed>stay user>ask-yes/no/cancel no>close"},
        {AtStart::kUnreadable,
         "user>ask-yes/no/cancel yes>save open>ask-retry/cancel:denied retry>stay user>save saved>close"},
        // The session: nothing is asked, and what cannot be saved unasked is left as it is.
        {AtStart::kRead, "ends>save open>close ends>save write>close ends>save failed>close ends>save saved>close"},
        {AtStart::kRead, "mayend>save write>stay mayend>save saved>stay user>save saved>close"},
        {AtStart::kUnreadable, "mayend>stay ends>close user>ask-yes/no/cancel"},
    };
    for (const auto& conversation : conversations) {
        CloseConversation closing(conversation.atStart);
        std::istringstream steps(conversation.steps);
        for (std::string event, outcome; std::getline(steps, event, '>') && steps >> outcome; steps.ignore(1))
            ASSERT_EQ(Follow(closing, event), outcome) << conversation.steps << " at " << event;
    }
}
