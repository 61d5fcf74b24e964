#include <gtest/gtest.h>

#include "game_harness.hpp"

namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(Engine, OneCommandPerFrameWithoutRunOn) {
    GameHarness g({{"start", "VarNew name=a type=int value=0 runon\n" + Repeat("Calc expr=\"a = a + 1\"\n", 3)}});
    for (int frame = 1; frame <= 3; ++frame) {
        g.Frames(1);
        EXPECT_EQ(g.Var("a"), std::to_string(frame));
    }
}

TEST(Engine, RunOnCarriesOnWithinTheStep) {
    GameHarness g({{"start", "VarNew name=a type=int value=0 runon\n" + Repeat("Calc expr=\"a = a + 1\" runon\n", 50)}});
    g.Frames(1);
    EXPECT_EQ(g.Var("a"), "50");
}

TEST(Engine, Wait100At16msEndsInTheEighthStep) {
    const char* page =
        "VarNew name=x type=int value=0 runon\n"
        "Wait time=100 runon\n"
        "Calc expr=\"x = 1\"\n";
    GameHarness g({{"start", page}});
    g.Frames(7);
    EXPECT_EQ(g.Var("x"), "0");
    g.Frames(1);
    EXPECT_EQ(g.Var("x"), "1");
}

TEST(Engine, WaitWithAConditionAndWithNeither) {
    GameHarness g({{"start",
                    "VarNew name=go type=bool value=FALSE runon\n"
                    "VarNew name=n type=int value=0 runon\n"
                    "Wait cond=\"go == FALSE\" runon\n"
                    "Calc expr=\"n = 1\" runon\n"
                    "Wait\n"
                    "Calc expr=\"n = 2\"\n"}});
    g.Frames(20);
    EXPECT_EQ(g.Var("n"), "0");
    g.Vars().Find("go")->P().SetBool(true);
    g.Frames(1);
    EXPECT_EQ(g.Var("n"), "1");
    g.Frames(50);  // a Wait with neither time nor condition never ends by itself
    EXPECT_EQ(g.Var("n"), "1");
}

TEST(Engine, CallsWithArgumentsAndResults) {
    GameHarness g({{"start",
                    "VarNew name=r type=int value=0 runon\n"
                    "VarNew name=s type=str value=\"\\\"\\\"\" runon\n"
                    "Call page=\"sum.zsb\" result=r cond=TRUE args=[\"3\", \"\", \"4\"] runon\n"
                    "Call page=\"text.zsb\" result=s cond=TRUE runon\n"
                    "Call page=\"text.zsb\" result=fresh cond=TRUE runon\n"
                    "Call page=\"missing.zsb\" result=r cond=TRUE runon\n"
                    "Call page=\"sum.zsb\" result=r cond=FALSE runon\n"},
                   {"sum",
                    "page version=116 result=int\n"
                    "VarNew name=t type=int value=0 scope=local runon\n"
                    "Calc expr=\"t = StrToIntDef(@ParamStr[0], 0) + StrToIntDef(@ParamStr[1], 0)\" runon\n"
                    "Calc expr=\"@Result = t * 10 + @ParamCount\" runon\n"},
                   {"text",
                    "page version=116 result=str\n"
                    "Calc expr=\"@Result = \\\"a\\\" ++ Chr(34) ++ \\\"b\\\\c\\\"\" runon\n"}});
    g.Frames(5);
    // Two of the three arguments yield a value; a local of the callee is gone.
    EXPECT_EQ(g.Var("r"), "72");
    EXPECT_EQ(g.Var("t"), "<none>");
    // A result with a quote and a backslash arrives as it is; a name that is
    // not a variable receives nothing (assigning never creates variables).
    EXPECT_EQ(g.Var("s"), "a\"b\\c");
    EXPECT_EQ(g.Var("fresh"), "<none>");
}

TEST(Engine, IfElseifElseChains) {
    GameHarness g({{"start",
                    "VarNew name=log type=str value=\"\\\"\\\"\" runon\n"
                    "If cond=FALSE runon\n"
                    "  Calc expr=\"log = log ++ \\\"a\\\"\" runon\n"
                    "  If cond=TRUE runon\n"
                    "    Calc expr=\"log = log ++ \\\"nested\\\"\" runon\n"
                    "  Else runon\n"
                    "    Calc expr=\"log = log ++ \\\"nested-else\\\"\" runon\n"
                    "Elseif cond=FALSE runon\n"
                    "  Calc expr=\"log = log ++ \\\"b\\\"\" runon\n"
                    "Elseif cond=TRUE runon\n"
                    "  Calc expr=\"log = log ++ \\\"c\\\"\" runon\n"
                    "Else runon\n"
                    "  Calc expr=\"log = log ++ \\\"d\\\"\" runon\n"
                    "If cond=\"1 / 0 == 1\" runon\n"
                    "  Calc expr=\"log = log ++ \\\"e\\\"\" runon\n"
                    "Else runon\n"
                    "  Calc expr=\"log = log ++ \\\"f\\\"\" runon\n"}});
    g.Frames(1);
    EXPECT_EQ(g.Var("log"), "cf");
}

TEST(Engine, LoopsBreakAndContinue) {
    GameHarness g({{"start",
                    "VarNew name=i type=int value=0 runon\n"
                    "VarNew name=sum type=int value=0 runon\n"
                    "VarNew name=after type=int value=0 runon\n"
                    "WhileInit expr=\"i = 0\"\n"
                    "While cond=\"i < 100\" runon\n"
                    "  If cond=\"i % 2 == 1\" runon\n"
                    "    Continue cond=TRUE runon\n"
                    "  Break cond=\"i >= 10\" runon\n"
                    "  Calc expr=\"sum = sum + i\" runon\n"
                    "WhileLoop expr=\"i = i + 1\"\n"
                    "Calc expr=\"after = 1\" runon\n"
                    "Break cond=TRUE target=-1 runon\n"
                    "Calc expr=\"after = 2\" runon\n"}});
    g.Frames(1);
    EXPECT_EQ(g.Var("sum"), "20");  // 0 + 2 + 4 + 6 + 8
    EXPECT_EQ(g.Var("i"), "10");
    EXPECT_EQ(g.Var("after"), "1");  // a Break without a loop target ends the page
}

TEST(Engine, NestedHandlersWaitAndReturn) {
    GameHarness g({{"start",
                    "VarNew name=log type=str value=\"\\\"\\\"\" runon\n"
                    "Wait\n"},
                   {"h1",
                    "Calc expr=\"log = log ++ \\\"1\\\"\"\n"
                    "Wait time=50\n"
                    "Calc expr=\"log = log ++ \\\"3\\\"\"\n"},
                   {"h2", "Calc expr=\"log = log ++ \\\"2\\\"\"\n"}});
    g.Frames(1);
    g.Event("h1.zsb");
    g.Frames(1);
    EXPECT_EQ(g.Engine().mode, 2);  // the level-1 handler waits
    g.Event("h2.zsb");
    g.Frames(10);
    EXPECT_EQ(g.Var("log"), "123");
    EXPECT_EQ(g.Engine().mode, 0);
    EXPECT_EQ(g.Project().Events().Size(), 0u);
}

TEST(Engine, HandlerNamesLabelsAndExtensions) {
    GameHarness g({{"start",
                    "VarNew name=log type=str value=\"\\\"\\\"\" runon\n"
                    "Wait\n"},
                   {"h",
                    "Calc expr=\"log = log ++ \\\"0\\\"\" runon\n"
                    "Label name=\"two\" runon\n"
                    "Calc expr=\"log = log ++ \\\"2\\\"\" runon\n"}});
    g.Frames(1);
    for (const char* ref : {"h.zsb:two", "h.abc", "h.zsb:nothing", "none.zsb"}) {
        g.Event(ref);
        g.Frames(3);
    }
    EXPECT_EQ(g.Var("log"), "2" "02" "02");
    EXPECT_EQ(g.Project().Events().Size(), 1u);  // the handler without a page stays waiting
}

TEST(Engine, TwentyOnePagesEvictTheOldestAndCallersReload) {
    GameHarness::Pages pages;
    pages.emplace_back("start", "")
    ;pages[0].second =
        "VarNew name=depth type=int value=0 runon\n"
        "VarNew name=back type=int value=0 runon\n"
        "VarNew name=done type=int value=0 runon\n"
        "Call page=\"p1.zsb\" cond=TRUE runon\n"
        "Calc expr=\"done = 1\"\n";
    for (int k = 1; k <= 21; ++k) {
        std::string next = k < 21 ? "Call page=\"p" + std::to_string(k + 1) + ".zsb\" cond=TRUE runon\n" : "";
        pages.emplace_back("p" + std::to_string(k), "");
        pages.back().second = "Calc expr=\"depth = depth + 1\" runon\n" + next + "Calc expr=\"back = back + 1\" runon\n";
    }
    GameHarness g(pages);
    g.Frames(1);
    EXPECT_EQ(g.Var("depth"), "21");
    EXPECT_EQ(g.Var("back"), "21");
    EXPECT_EQ(g.Var("done"), "1");
    EXPECT_EQ(g.Engine().CachedPages(), 20u);
}

TEST(Engine, PCResetFromAHandlerResumesTheMainFlowAtTheTarget) {
    GameHarness g({{"start",
                    "VarNew name=log type=str value=\"\\\"\\\"\" runon\n"
                    "Wait\n"
                    "Label name=\"after\" runon\n"
                    "Calc expr=\"log = log ++ \\\"M\\\"\"\n"
                    "Wait\n"},
                   {"h",
                    "PCReset page=\"start.zsb\" target=2 runon\n"
                    "Calc expr=\"log = log ++ \\\"H\\\"\" runon\n"}});
    g.Frames(1);
    g.Event("h.zsb");
    g.Frames(3);
    EXPECT_EQ(g.Var("log"), "HM");
}

TEST(Engine, PCResetAllFramesAndReset) {
    GameHarness g({{"start",
                    "VarNew name=n type=int value=0 runon\n"
                    "VarNew name=keep type=int value=5 scope=status runon\n"
                    "Calc expr=\"n = n + 1\" runon\n"
                    "Call page=\"sub.zsb\" cond=\"n < 3\" runon\n"
                    "Wait\n"},
                   {"sub",
                    "PCReset page=\"start.zsb\" target=2 allframes=1 runon\n"}});
    g.Frames(1);
    EXPECT_EQ(g.Var("n"), "3");
    EXPECT_EQ(g.Engine().stack.Count(), 0);

    GameHarness r({{"start",
                    "VarNew name=keep type=int value=5 scope=status runon\n"
                    "VarNew name=gone type=int value=1 runon\n"
                    "Calc expr=\"keep = keep + 1\" runon\n"
                    "If cond=\"keep < 8\" runon\n"
                    "  Reset page=\"start.zsb\" target=0 runon\n"
                    "Wait\n"}});
    r.Frames(1);
    EXPECT_EQ(r.Var("keep"), "8");  // status variables survive a reset
    EXPECT_EQ(r.Var("gone"), "1");  // made again after the last reset
}

TEST(Engine, TerminateEndsTheGame) {
    GameHarness g({{"start", "VarNew name=a type=int value=0 runon\nTerminate\nCalc expr=\"a = 1\"\n"}});
    g.Frames(5);
    EXPECT_TRUE(g.State().terminate);
    EXPECT_EQ(g.Var("a"), "0");
}

TEST(Engine, ErrorsEndThePageAndTheCallerResumes) {
    GameHarness g({{"start",
                    "VarNew name=a type=int value=0 runon\n"
                    "Call page=\"bad.zsb\" cond=TRUE runon\n"
                    "Calc expr=\"a = a + 10\"\n"},
                   {"bad", "VarNew name=\"\" type=int value=0 runon\nCalc expr=\"a = 99\"\n"}});
    g.Frames(2);
    EXPECT_EQ(g.Var("a"), "10");
}

TEST(Engine, TraceLines) {
    GameHarness g({{"start", "VarNew name=a type=int value=0 runon\nCalc expr=\"a = 1\" line=42\n"}});
    g.Frames(1);
    EXPECT_EQ(g.TraceText(), "00000010 : start.zsb(1)\n00000010 : start.zsb(42)\n");
}

TEST(Engine, PersistentFormRoundTrip) {
    GameHarness::Pages pages = {
        {"start",
         "VarNew name=n type=int value=0 runon\n"
         "Call page=\"sub.zsb\" result=n cond=TRUE args=[\"\\\"x\\\"\", \"\\\"y\\\"\"] runon\n"
         "Calc expr=\"n = n + 1\"\n"
         "Wait\n"},
        {"sub", "page version=116 result=int\nWait time=200\nCalc expr=\"@Result = 41\"\n"}};
    GameHarness a(pages), b(pages);
    a.Frames(3);
    mivo::TMemoryStream saved;
    a.Engine().SaveToStream(saved);
    saved.SetPosition(0);
    b.Engine().LoadFromStream(saved, 141);
    mivo::TMemoryStream vars;
    a.Vars().SaveVars(vars);
    vars.SetPosition(0);
    b.Vars().LoadVars(vars, 141);
    mivo::TMemoryStream again;
    b.Engine().SaveToStream(again);
    EXPECT_EQ(again.Bytes(), saved.Bytes());
    EXPECT_EQ(b.Engine().stack.Count(), 1);
    EXPECT_EQ(b.Engine().stack.Top().result_var, "n");
    EXPECT_EQ(b.Engine().ArgumentCount(), 2);
    // Both go on to the same end.
    a.Frames(20);
    b.Frames(20);
    EXPECT_EQ(a.Var("n"), "42");
    EXPECT_EQ(b.Var("n"), "42");
}

TEST(Project, PagesOnAnotherDisc) {
    GameHarness g({{"start", "Wait\n"}}, "media_extensions \".wav.ogg\"\ndisk \"movie\" 2\ndisk_prompt \"disc %d please\"\nexit_notice \"bye\"\n");
    // Media of another disc never ask for it.
    EXPECT_FALSE(g.Project().PageExists("movie\\op.ogg"));
    EXPECT_TRUE(g.Shown().empty());
    // Nor does a file of no disc.
    EXPECT_FALSE(g.Project().PageExists("other\\a.zsb"));
    EXPECT_FALSE(g.Project().PageExists(""));
    EXPECT_TRUE(g.Project().PageExists("start.zsb"));
    EXPECT_TRUE(g.Shown().empty());
    // A page there does: unattended, the disc is refused and the game ends.
    EXPECT_FALSE(g.Project().PageExists("MOVIE\\scene.zsb"));
    ASSERT_EQ(g.Shown().size(), 2u);
    EXPECT_EQ(g.Shown()[0], "disc 2 please");
    EXPECT_EQ(g.Shown()[1], "bye");
    EXPECT_TRUE(g.State().terminate);
}

TEST(Project, InputSystemVariables) {
    GameHarness g({{"start",
                    "VarNew name=seen type=bool value=FALSE runon\n"
                    "Calc expr=\"@MouseX = 50\" runon\n"
                    "Calc expr=\"@MouseY = 60\" runon\n"
                    "Wait cond=\"@KeyPush[13] == FALSE\" runon\n"
                    "Calc expr=\"seen = @KeyPush[13] ++ \\\"\\\"\" runon\n"
                    "Wait\n"}});
    g.Frames(2);
    EXPECT_EQ(g.State().input.mouse_x, 50);
    EXPECT_EQ(g.State().input.mouse_y, 60);
    g.State().input.SetKey(13, true);
    g.Frames(1);
    EXPECT_EQ(g.Var("seen"), "TRUE");
}
