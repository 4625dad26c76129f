#include "gui_test_support.h"

#include "gui/gtk/gtk_private.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

namespace {

struct MessageCase {
    std::int32_t flags;
    int response;
    GtkMessageType icon;
    std::intptr_t answer;
};

TEST(Requester, MessageIconsButtonsAndAnswers) {
    const MessageCase cases[] = {
        {8, GTK_RESPONSE_OK, GTK_MESSAGE_ERROR, 6},
        {17, GTK_RESPONSE_NO, GTK_MESSAGE_WARNING, 7},
        {17, GTK_RESPONSE_YES, GTK_MESSAGE_WARNING, 6},
        {17, GTK_RESPONSE_DELETE_EVENT, GTK_MESSAGE_WARNING, 0},
        {2 | 4, GTK_RESPONSE_CANCEL, GTK_MESSAGE_INFO, 2},
        {0, GTK_RESPONSE_CLOSE, GTK_MESSAGE_OTHER, 0},
    };
    for (const MessageCase &c : cases) {
        GtkMessageType shown_icon = GTK_MESSAGE_OTHER;
        bool has_buttons = false;
        std::string title;
        answer_when_shown(GTK_TYPE_MESSAGE_DIALOG, [&](GtkWidget *dialog) {
            g_object_get(dialog, "message-type", &shown_icon, nullptr);
            title = gtk_window_get_title(GTK_WINDOW(dialog));
            const bool yes_no = c.flags & 3;
            has_buttons = gtk_dialog_get_widget_for_response(
                              GTK_DIALOG(dialog), yes_no ? GTK_RESPONSE_NO : GTK_RESPONSE_OK) &&
                          ((c.flags & 2) == 0 || gtk_dialog_get_widget_for_response(
                                                     GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL));
            gtk_dialog_response(GTK_DIALOG(dialog), c.response);
        });
        EXPECT_EQ(requester_message(u"Error", u"TRX not responding!", c.flags), c.answer) << c.flags;
        EXPECT_EQ(shown_icon, c.icon) << c.flags;
        EXPECT_TRUE(has_buttons) << c.flags;
        EXPECT_EQ(title, "Error");
        EXPECT_EQ(find_toplevel(GTK_TYPE_MESSAGE_DIALOG), nullptr);   // gone before the answer
    }
}

TEST(Requester, PatternListsBecomeFilters) {
    const auto memory = parse_file_patterns("Memory (*.mem)|*.mem;");
    ASSERT_EQ(memory.size(), 1u);
    EXPECT_EQ(memory[0].name, "Memory (*.mem)");
    EXPECT_EQ(memory[0].patterns, (std::vector<std::string>{"*.mem", ""}));

    const auto two = parse_file_patterns("Text|*.txt;*.TXT|All files|*.*");
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].patterns, (std::vector<std::string>{"*.txt", "*.TXT"}));
    EXPECT_EQ(two[1].name, "All files");
    EXPECT_EQ(two[1].patterns, (std::vector<std::string>{"*"}));

    EXPECT_TRUE(parse_file_patterns("").empty());
    EXPECT_TRUE(parse_file_patterns("no separator").empty());
}

TEST(Requester, SaveRequesterStartsAtTheDefaultFileWithTheChosenFilter) {
    char folder[] = "/tmp/kalvo_gui_XXXXXX";
    ASSERT_NE(g_mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/set.mem";
    std::string filter_name;
    answer_when_shown(GTK_TYPE_FILE_CHOOSER_DIALOG, [&](GtkWidget *dialog) {
        GtkFileFilter *filter = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(dialog));
        filter_name = filter ? gtk_file_filter_get_name(filter) : "";
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    });
    const WideText chosen = requester_save_file(u"Save", text_from_utf8(file.c_str()),
                                                u"Memory (*.mem)|*.mem;|All|*.*", 1);
    EXPECT_EQ(text_to_utf8(chosen), file);
    EXPECT_EQ(filter_name, "All");
    EXPECT_EQ(requester_selected_pattern(), 1);

    answer_when_shown(GTK_TYPE_FILE_CHOOSER_DIALOG, [](GtkWidget *dialog) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    });
    EXPECT_EQ(requester_open_file(u"Open", text_from_utf8((std::string(folder) + "/").c_str()),
                                  u"Memory (*.mem)|*.mem;", 0),
              u"");
    EXPECT_EQ(requester_selected_pattern(), 0);
    g_rmdir(folder);
}

} // namespace
