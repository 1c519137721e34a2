#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/CloseConversation.h"
#include "tests/unit/TestSupport.h"

namespace {

// A step as a word: save, close, stay, or the buttons of the question asked and the reason it gives.
std::string Word(const CloseStep& step) {
    switch (step.action) {
        case CloseStep::kSave:
            return "save";
        case CloseStep::kClose:
            return "close";
        case CloseStep::kStay:
            return "stay";
        case CloseStep::kAsk:
            break;
    }
    const char* buttons[] = {"ok", "retry/cancel", "yes/no/cancel"};
    return std::string("ask ") + buttons[static_cast<int>(step.question.buttons)] + " " + Str(step.question.reason);
}

// What happens next: the window asked to close, a save's outcome, or the user's answer.
struct Event {
    enum { kClose, kSaved, kCannotOpen, kCannotWrite, kFailed, kAnswer } kind;
    int value = 0;  // Closing or Reply
    const char* expected = "";
};

Event ByUser(const char* expected) { return {Event::kClose, static_cast<int>(Closing::kByUser), expected}; }
Event SessionEnds(const char* expected) { return {Event::kClose, static_cast<int>(Closing::kSessionEnds), expected}; }
Event SessionMayEnd(const char* expected) {
    return {Event::kClose, static_cast<int>(Closing::kSessionMayEnd), expected};
}
Event Answer(Reply reply, const char* expected) { return {Event::kAnswer, static_cast<int>(reply), expected}; }

}  // namespace

TEST(CloseConversation, SavesAsksClosesOrStays) {
    const Event saved{Event::kSaved, 0, "close"};
    const struct {
        AtStart atStart;
        std::vector<Event> events;
    } conversations[] = {
        {AtStart::kRead, {ByUser("save"), saved}},
        {AtStart::kAbsent,
         {ByUser("save"),
          {Event::kCannotOpen, 0, "ask retry/cancel denied"},
          Answer(Reply::kRetry, "stay"),
          ByUser("save"),
          {Event::kCannotOpen, 0, "ask retry/cancel denied"},
          Answer(Reply::kDismissed, "stay"),
          ByUser("save"),
          {Event::kCannotOpen, 0, "ask retry/cancel denied"},
          Answer(Reply::kCancel, "close")}},
        {AtStart::kRead,
         {ByUser("save"),
          {Event::kCannotWrite, 0, "ask ok full"},
          Answer(Reply::kOk, "stay"),
          ByUser("save"),
          {Event::kFailed, 0, "ask ok "},
          Answer(Reply::kOk, "stay"),
          ByUser("save"),
          saved}},
        // Asked once before replacing a file that could not be read; replaced only on yes.
        {AtStart::kUnreadable,
         {ByUser("ask yes/no/cancel "), Answer(Reply::kCancel, "stay"), ByUser("ask yes/no/cancel "),
          Answer(Reply::kDismissed, "stay"), ByUser("ask yes/no/cancel "), Answer(Reply::kNo, "close")}},
        {AtStart::kUnreadable,
         {ByUser("ask yes/no/cancel "),
          Answer(Reply::kYes, "save"),
          {Event::kCannotOpen, 0, "ask retry/cancel denied"},
          Answer(Reply::kRetry, "stay"),
          ByUser("save"),
          saved}},
        // The session: nothing is asked, and what cannot be saved unasked is left as it is.
        {AtStart::kRead, {SessionEnds("save"), saved}},
        {AtStart::kRead, {SessionEnds("save"), {Event::kCannotOpen, 0, "close"}}},
        {AtStart::kRead, {SessionEnds("save"), {Event::kCannotWrite, 0, "close"}}},
        {AtStart::kRead, {SessionEnds("save"), {Event::kFailed, 0, "close"}}},
        {AtStart::kUnreadable, {SessionEnds("close")}},
        {AtStart::kRead, {SessionMayEnd("save"), {Event::kSaved, 0, "stay"}, ByUser("save"), saved}},
        {AtStart::kRead, {SessionMayEnd("save"), {Event::kCannotWrite, 0, "stay"}}},
        {AtStart::kUnreadable, {SessionMayEnd("stay"), ByUser("ask yes/no/cancel ")}},
    };
    for (const auto& conversation : conversations) {
        CloseConversation closing(conversation.atStart);
        std::string said;
        for (const Event& event : conversation.events) {
            CloseStep step;
            switch (event.kind) {
                case Event::kClose:
                    step = closing.Close(static_cast<Closing>(event.value));
                    break;
                case Event::kSaved:
                    step = closing.Saved();
                    break;
                case Event::kCannotOpen:
                    step = closing.CannotOpen("denied");
                    break;
                case Event::kCannotWrite:
                    step = closing.CannotWrite("full");
                    break;
                case Event::kFailed:
                    step = closing.Failed();
                    break;
                case Event::kAnswer:
                    step = closing.Answered(static_cast<Reply>(event.value));
                    break;
            }
            said += " -> " + Word(step);
            ASSERT_EQ(Word(step), event.expected) << "after" << said;
        }
    }
}

TEST(CloseConversation, QuestionsNameTheFileAndSayWhatEachButtonDoes) {
    CloseConversation closing(AtStart::kUnreadable);
    const Question unreadable = closing.Close(Closing::kByUser).question;
    closing.Answered(Reply::kYes);
    const Question cannotOpen = closing.CannotOpen("denied").question;
    closing.Answered(Reply::kRetry);
    closing.Close(Closing::kByUser);
    const Question cannotWrite = closing.CannotWrite("full").question;
    for (const Question* question : {&unreadable, &cannotOpen, &cannotWrite})
        EXPECT_EQ(Str(question->text).rfind("\"msg.dat\" ", 0), 0u) << Str(question->text);
    EXPECT_NE(Str(unreadable.choice), Str(cannotOpen.choice));
    EXPECT_TRUE(cannotWrite.choice.IsEmpty());
    EXPECT_EQ(Str(FileError("x.dat", "why").text).rfind("\"x.dat\" ", 0), 0u);
}
