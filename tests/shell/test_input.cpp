#include <gtest/gtest.h>

#include "../data/test_helpers.hpp"
#include "core/error.hpp"
#include "scenario/game_builder.hpp"
#include "shell/game_session.hpp"
#include "shell/input_script.hpp"

using namespace mivo;

TEST(InputScript, EventsByFrame) {
    InputScript s = InputScript::Parse(
        "# comment\n"
        "3 move 10 20\n"
        "3 down left\n"
        "4 up left   # trailing comment\n"
        "5 click 100 200 right\n"
        "7 key 0x0D\n"
        "9 wheel -2\n"
        "9 close\n",
        "in.txt");
    ASSERT_EQ(s.At(3).size(), 2u);
    EXPECT_EQ(s.At(3)[0].kind, WindowEvent::MouseMove);
    EXPECT_EQ(s.At(3)[0].x, 10);
    EXPECT_EQ(s.At(3)[1].kind, WindowEvent::MouseDown);
    ASSERT_EQ(s.At(5).size(), 2u);
    EXPECT_EQ(s.At(5)[1].button, 2);
    EXPECT_EQ(s.At(6)[0].kind, WindowEvent::MouseUp);  // the click lets go a frame later
    EXPECT_EQ(s.At(7)[0].key, 0x0D);
    EXPECT_EQ(s.At(8)[0].kind, WindowEvent::KeyUp);
    EXPECT_EQ(s.At(9)[1].kind, WindowEvent::Close);
    EXPECT_TRUE(s.At(100).empty());
    EXPECT_EQ(s.LastFrame(), 9);
    for (const char* bad : {"0 move 1 2\n", "x move 1 2\n", "3 move 1\n", "3 jump\n", "3 key 999\n", "3 down up\n"}) {
        try {
            InputScript::Parse(bad, "bad.txt");
            ADD_FAILURE() << bad;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find("bad.txt:1"), std::string::npos);
        }
    }
}

namespace {
struct Session {
    ScratchDir dir;
    StderrDialogs dialogs;
    PlayerOptions options;
    std::unique_ptr<GameSession> game;
    explicit Session(const std::string& extra = "") {
        dir.Write("src/project.txt", "version 116\nname \"t\"\nstart_page \"start.zsb\"\n" + extra);
        dir.Write("src/scenario/start.src",
                  "VarNew name=clicks type=int value=0 runon\n"
                  "VarNew name=keys type=int value=0 runon\n"
                  "Label name=loop runon\n"
                  "If cond=\"@LClick\" runon\n"
                  "  Calc expr=\"clicks = clicks + 1\" runon\n"
                  "If cond=\"@KeyClick[13]\" runon\n"
                  "  Calc expr=\"keys = keys + 1\" runon\n"
                  "Jump page=\"start.zsb\" label=loop cond=TRUE\n");
        BuildGame(dir / "src", dir / "game");
        options.data = {dir / "game"};
        game = std::make_unique<GameSession>(options, dialogs);
    }
    void Frame(std::initializer_list<WindowEvent> events = {}) {
        for (const WindowEvent& e : events) game->HandleEvent(e, nullptr);
        game->state.clock.Step(16);
        game->FrameStep(nullptr);
    }
    std::string Var(const char* n) { return game->Vars().Find(n)->P().AsStr(); }
};

WindowEvent Key(WindowEvent::Kind k, int vk, bool repeat = false) {
    WindowEvent e{k};
    e.key = vk;
    e.repeat = repeat;
    return e;
}
WindowEvent Mouse(WindowEvent::Kind k, int button = 1) {
    WindowEvent e{k};
    e.button = button;
    e.x = 5;
    e.y = 6;
    return e;
}
}  // namespace

TEST(GameInput, AHeldKeyTypesOnceAndClicksLastOneFrame) {
    Session s;
    s.Frame();
    s.Frame({Key(WindowEvent::KeyDown, 0x0D)});
    s.Frame({Key(WindowEvent::KeyDown, 0x0D, true), Key(WindowEvent::KeyDown, 0x0D, true)});  // system repeats
    s.Frame();
    EXPECT_EQ(s.Var("keys"), "1");
    EXPECT_TRUE(s.game->state.input.key_held[0x0D]);
    s.Frame({Key(WindowEvent::KeyUp, 0x0D)});
    EXPECT_FALSE(s.game->state.input.key_held[0x0D]);
    s.Frame({Mouse(WindowEvent::MouseDown)});
    s.Frame({Mouse(WindowEvent::MouseUp)});
    s.Frame({Mouse(WindowEvent::MouseDown, 2)});  // the right button is not @LClick
    s.Frame();
    EXPECT_EQ(s.Var("clicks"), "1");
    EXPECT_EQ(s.game->state.input.mouse_x, 5);
}

TEST(GameInput, PausingProjectsIgnoreInputWhileInactive) {
    Session s("pause_inactive 1\n");
    s.Frame();
    s.Frame({WindowEvent{WindowEvent::Deactivated}});
    EXPECT_FALSE(s.game->active);
    s.Frame({Mouse(WindowEvent::MouseDown), Key(WindowEvent::KeyDown, 0x0D)});
    EXPECT_EQ(s.Var("clicks"), "0");
    EXPECT_EQ(s.Var("keys"), "0");
    s.Frame({WindowEvent{WindowEvent::Activated}});
    EXPECT_TRUE(s.game->active);

    Session keeps;  // without the pause flag the game goes on
    keeps.Frame({WindowEvent{WindowEvent::Deactivated}});
    EXPECT_TRUE(keeps.game->active);
}

TEST(GameInput, ExitQuestionFollowsTheLanguage) {
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
    EXPECT_EQ(ExitQuestion("デモ"), "「デモ」を終了しますか？");
    setenv("LC_ALL", "en_GB.UTF-8", 1);
    EXPECT_EQ(ExitQuestion("Demo"), "Do you want to exit Demo?");
    unsetenv("LC_ALL");
}
