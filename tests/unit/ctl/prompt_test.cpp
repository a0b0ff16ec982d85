// The questions of Change answered without a window: the sharing question from
// --shared, or refused; no other question is answered Yes.

#include "ctl/CtlPrompt.h"
#include "engine/ChangePlan.h"

#include <gtest/gtest.h>

namespace {

const QString kShared = QString::fromLatin1(engine::kSharedJournalText);
constexpr int kSharedStyle = state::mb::YesNo | state::mb::Exclamation | state::mb::DefaultButton2;

TEST(CtlPrompt, TheSharingQuestionIsAnsweredFromSharedOrRefused) {
    ctl::CtlPrompt prompt;
    EXPECT_EQ(prompt.ask(kShared, kSharedStyle, "Tavimor"), state::mb::No);
    EXPECT_EQ(prompt.refusals(), QStringList{"This Journal Mailbox is used by another Mailbox Store. Are you sure you want to change it?"});
    prompt.setShared(ctl::CtlPrompt::Shared::Replace);
    EXPECT_EQ(prompt.ask(kShared, kSharedStyle, "Tavimor"), state::mb::Yes);
    prompt.setShared(ctl::CtlPrompt::Shared::Keep);
    EXPECT_EQ(prompt.ask(kShared, kSharedStyle, "Tavimor"), state::mb::No);
    EXPECT_EQ(prompt.refusals().size(), 1);
    // Another question is refused; a message is only recorded.
    EXPECT_EQ(prompt.ask("Delete it?", state::mb::OkCancel, "Tavimor"), state::mb::Cancel);
    EXPECT_EQ(prompt.ask("Denied.\r\nSorry.", state::mb::Critical, "Tavimor"), state::mb::Ok);
    EXPECT_EQ(prompt.refusals().size(), 2);
    EXPECT_EQ(prompt.messages(), (QStringList{"Delete it?", "Denied. Sorry."}));
}

}  // namespace
