// The exit question: its picture by mode and its three answers.
#include <gtest/gtest.h>

#include "dialogs/exit_logic.h"
#include "recording_view.h"
#include "res/resource.h"
#include "ui/messages.h"

using dialogs::DlgButton;
using dialogtest::Post;
using dialogtest::RecordingView;

TEST(ExitLogic, ShowDrawsTheQuestionOfItsMode) {
    const struct {
        int online;
        uint32_t image;
        std::pair<int, int> at;
        const char* says;
    } cases[] = {{1, IDB_EXIT_FINALIZE_QUESTION, {39, 30}, dialogs::kExitOnlineText},
                 {0, IDB_EXIT_SAVE_QUESTION, {20, 39}, dialogs::kExitOfflineText}};
    for (const auto& c : cases) {
        RecordingView view;
        dialogs::ExitLogic logic(view);
        logic.Show(c.online);
        EXPECT_TRUE(view.visible);
        EXPECT_EQ(view.image, c.image);
        EXPECT_EQ(view.imageAt, c.at);
        EXPECT_EQ(view.text, c.says);
        logic.Hide();
        EXPECT_FALSE(view.visible);
    }
}

TEST(ExitLogic, AnswersGoToTheMainWindow) {
    RecordingView view;
    dialogs::ExitLogic logic(view);
    logic.Show(1);
    logic.OnButton(DlgButton::Yes);
    logic.OnButton(DlgButton::No);
    logic.OnButton(DlgButton::Cancel);
    logic.OnButton(DlgButton::Ok);  // not one of its buttons
    EXPECT_EQ(view.ParentPosts(),
              (std::vector<Post>{{ui::MsgExit, 0, 1}, {ui::MsgExit, 0, 0}, {ui::MsgExit, 0, -1}}));
}
