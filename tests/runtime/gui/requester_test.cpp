// Message and file requesters, on either toolkit, answered as the user would.
#include "toolkit_view.h"

#include <gtest/gtest.h>

namespace {

TEST(Requester, MessagesShowTheirTextAndBringBackTheAnswer) {
    answer_next_dialog(Reply::ok);
    requester_message(u"Error", u"TRX not responding!", REQUESTER_ERROR);
    const DialogSeen error = answered_dialog();
    EXPECT_EQ(error.title, "Error");
    EXPECT_EQ(error.text, "TRX not responding!");
    EXPECT_FALSE(error.yes_no);
    for (const auto &[reply, answer] :
         {std::pair{Reply::yes, REQUESTER_ANSWER_YES}, {Reply::no, REQUESTER_ANSWER_NO}}) {
        answer_next_dialog(reply);
        EXPECT_EQ(requester_message(u"", u"File exists, replace?", REQUESTER_QUESTION), answer);
        EXPECT_TRUE(answered_dialog().yes_no);
        EXPECT_EQ(dialogs_showing(), 0); // gone before the answer
    }
}

TEST(Requester, FileRequestersStartAtTheDefaultFileWithTheChosenFilter) {
    const std::string file = scratch_path("set.mem");
    answer_next_dialog(Reply::ok);
    const WideText chosen =
        requester_save_file(u"Save", native_name(file), u"Memory (*.mem)|*.mem;|All|*.*", 1);
    const DialogSeen seen = answered_dialog();
    EXPECT_EQ(from_native_name(chosen), file);
    EXPECT_EQ(seen.title, "Save");
    EXPECT_EQ(seen.file_name, "set.mem");
    EXPECT_EQ(seen.filter, "All");
}

// The form that may bring back several files: one chosen comes back first and
// alone; the filter current at the close is reported, whatever the answer.
TEST(Requester, SeveralFileFormAndTheFilterCurrentAtTheClose) {
    const std::string file = scratch_path("first.mem", true);
    answer_next_dialog(Reply::ok, file);
    const WideText chosen = requester_open_file_ex(u"Open", native_name(scratch_path("")),
                                                   u"Text|*.txt|Memory (*.mem)|*.mem;", 1, 1);
    EXPECT_EQ(answered_dialog().filter, "Memory (*.mem)");
    EXPECT_EQ(from_native_name(chosen), file);
    EXPECT_EQ(requester_next_file(), u"");
    EXPECT_EQ(requester_selected_pattern(), 1);

    answer_next_dialog(Reply::cancel);
    EXPECT_EQ(requester_open_file(u"Open", native_name(scratch_path("")), u"Text|*.txt|All|*.*", 0),
              u"");
    answered_dialog();
    EXPECT_EQ(requester_selected_pattern(), 0);
    EXPECT_EQ(requester_next_file(), u"");
}

} // namespace
