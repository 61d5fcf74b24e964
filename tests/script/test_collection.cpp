#include <gtest/gtest.h>

#include "core/error.hpp"
#include "script/script_host.hpp"
#include "script/system_vars.hpp"
#include "script_env.hpp"

namespace mivo::script::testing {
namespace {

TEST(Collection, StartsWithTheSystemVariablesInOrder) {
    TParamCollection vars;
    ASSERT_EQ(vars.Count(), 51);
    EXPECT_EQ(vars[0].Name(), "@Result");
    EXPECT_EQ(vars[7].Name(), "@TextDelay");
    EXPECT_EQ(vars[44].Name(), "@Temp");
    EXPECT_EQ(vars[50].Name(), "@StackCount");
    EXPECT_TRUE(vars.IsSystem(vars[10]));
    EXPECT_EQ(vars.Find("@textdelay")->P().AsInt(), 50);
}

TEST(Collection, NamesAreCheckedAndFoldedAsciiOnly) {
    TParamCollection vars;
    for (const char* bad : {"", "a b", "1x"})
        EXPECT_THROW(vars.VarNew(bad, PT_INT, VarScope::Global, nullptr), Error) << bad;
    vars.VarNew("Score", PT_INT, VarScope::Global, nullptr).P().SetInt(3);
    EXPECT_EQ(vars.Find("SCORE")->P().AsInt(), 3);
    // ａ (0x82 0x81) and Ａ (0x82 0x60) differ only in the second byte:
    // folding must not make them one name.
    vars.VarNew("\x82\x81", PT_INT, VarScope::Global, nullptr).P().SetInt(1);
    vars.VarNew("\x82\x60", PT_INT, VarScope::Global, nullptr).P().SetInt(2);
    EXPECT_EQ(vars.Find("\x82\x81")->P().AsInt(), 1);
    EXPECT_EQ(vars.Find("\x82\x60")->P().AsInt(), 2);
    try {
        vars.VarNew("a b", PT_INT, VarScope::Global, nullptr);
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "\"a b\"：変数名が不正です");
    }
}

TEST(Collection, LocalHidesGlobalOnlyInItsFrame) {
    TParamCollection vars;
    vars.VarNew("v", PT_INT, VarScope::Global, nullptr).P().SetInt(1);
    vars.CurrentFrame = 2;
    TParamInt init;
    init.SetInt(2);
    vars.VarNew("v", PT_INT, VarScope::Local, &init);
    EXPECT_EQ(vars.Find("v")->P().AsInt(), 2);
    vars.CurrentFrame = 3;
    EXPECT_EQ(vars.Find("v")->P().AsInt(), 1);
    vars.CurrentFrame = 2;
    vars.DeleteFrame(2);
    EXPECT_EQ(vars.Find("v")->P().AsInt(), 1);
}

TEST(Collection, AutoDeleteGoesWithItsFrameAndStatusKeepsItsValue) {
    TParamCollection vars;
    vars.CurrentFrame = 1;
    vars.VarNew("tmp", PT_STR, VarScope::AutoDelete, nullptr);
    TParamInt init;
    init.SetInt(5);
    vars.VarNew("st", PT_INT, VarScope::Status, &init);
    init.SetInt(9);
    bool assigned = true;
    vars.VarNew("st", PT_INT, VarScope::Status, &init, &assigned);
    EXPECT_FALSE(assigned);
    EXPECT_EQ(vars.Find("st")->P().AsInt(), 5);
    vars.DeleteFrame(1);
    EXPECT_EQ(vars.Find("tmp"), nullptr);
    vars.ResetVars();
    EXPECT_NE(vars.Find("st"), nullptr);
}

TEST(Collection, RemovingAFrameMovesTheFramesAboveDown) {
    TParamCollection vars;
    vars.CurrentFrame = 1;
    vars.VarNew("one", PT_INT, VarScope::AutoDelete, nullptr);
    vars.CurrentFrame = 2;
    vars.VarNew("two", PT_INT, VarScope::Local, nullptr);
    vars.CurrentFrame = 3;
    vars.VarNew("three", PT_INT, VarScope::Local, nullptr);
    vars.RemoveFrame(2);
    vars.CurrentFrame = 2;
    EXPECT_EQ(vars.Find("two"), nullptr);
    ASSERT_NE(vars.Find("three"), nullptr);
    EXPECT_EQ(vars.Find("one")->FrameId, 1);
}

TEST(Collection, SaveWritesTargetsBeforeReferences) {
    TParamCollection vars;
    TParamCollectionItem& ref = vars.AddParam(PT_NONE);
    vars.SetItemName(ref, "r");
    vars.VarNew("t", PT_INT, VarScope::Global, nullptr).P().SetInt(7);
    vars.VarNew("u", PT_STR, VarScope::Global, nullptr).P().SetStr("x");
    dynamic_cast<TParamVar&>(ref.P()).Bind(vars.Find("t"));
    TMemoryStream s;
    vars.SaveVars(s);
    // Items: u, t (walking from the last), then r once t is written.
    const std::string& b = s.Bytes();
    auto at = [&](char name) { return b.find(std::string("\x01\x00\x00\x00", 4) + name); };
    size_t u = at('u'), t = at('t'), r = at('r');
    EXPECT_LT(u, t);
    EXPECT_LT(t, r);

    TParamCollection loaded;
    loaded.VarNew("gone", PT_INT, VarScope::Global, nullptr);
    s.SetPosition(0);
    loaded.LoadVars(s, 139);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(loaded.Find("gone"), nullptr);
    EXPECT_EQ(loaded.Find("r")->P().AsInt(), 7);
    EXPECT_EQ(loaded.Find("u")->P().AsStr(), "x");
    // Each save walks from the last item: two generations give the bytes back.
    TMemoryStream again;
    loaded.SaveVars(again);
    TParamCollection twice;
    again.SetPosition(0);
    twice.LoadVars(again, 139);
    TMemoryStream third;
    twice.SaveVars(third);
    EXPECT_EQ(third.Bytes(), s.Bytes());
}

TEST(Collection, LoadOlderVersionsFieldByField) {
    TParamCollection vars;
    TMemoryStream s;
    WriteInt32(s, 0);
    WriteInt32(s, 30);
    WriteStr(s, "cur");
    WriteStr(s, "sel");
    WriteInt32(s, 2);
    for (int i = 0; i < 6; ++i) WriteInt32(s, i);  // 112 < v < 135: history values
    s.SetPosition(0);
    vars.LoadVars(s, 120);
    EXPECT_EQ(vars.TextDelay, 30);
    EXPECT_EQ(vars.CursorName, "cur");
    EXPECT_EQ(vars.SelStr, "sel");
    EXPECT_EQ(vars.SelIndex, 2);
    EXPECT_EQ(vars.LegacyHistory.size(), 6u);
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(Collection, CorruptVariableDataIsRefused) {
    TParamCollection vars;
    for (std::string bytes : {std::string("\xFF\xFF\xFF\x7F", 4), std::string("\x01\x00\x00\x00\x09", 5),
                              std::string("\x01\x00\x00\x00\x01\x01\x00\x00\x00 ", 10)}) {
        bytes.resize(bytes.size() + 24, '\0');
        TMemoryStream s(bytes);
        EXPECT_THROW(vars.LoadVars(s, 139), Error);
    }
}

TEST(Collection, PushAndPopRestoreValuesKindsAndDeletedVariables) {
    ScriptEnv env;
    env.Declare("a", PT_INT).SetDims({3});
    env.Var("a").SetIntAt(2, 4);
    env.Declare("s", PT_STR).SetStr("keep");
    env.Run("PushVar(\"a\", \"s\", \"nothing\", \"@Result\")");
    env.vars.VarDelete("a");
    env.Var("s").SetStr("changed");
    env.vars.SetKind(*env.vars.Find("s"), PT_INT);
    EXPECT_EQ(env.Run("PopVar()"), "TRUE");
    EXPECT_EQ(env.Var("a").GetCount(), 3);
    EXPECT_EQ(env.Var("a").GetIntAt(2), 4);
    EXPECT_EQ(env.Var("s").GetKind(), PT_STR);
    EXPECT_EQ(env.Var("s").AsStr(), "keep");
    EXPECT_TRUE(env.vars.VarStacks.empty());
    env.Run("PopVar()");  // nothing pushed: nothing changes
    EXPECT_EQ(env.Var("s").AsStr(), "keep");
}

class FakeHost : public TScriptHost {
public:
    TParamInt result;
    bool clicked = true;
    void ReadSystem(int index, int32_t element, TCustomParam& out) override {
        if (index == SV_LCLICK) out.SetBool(clicked);
        if (index == SV_KEYPUSH) out.SetBool(element == 65);
        if (index == SV_PARAMSTR) out.SetStr("arg" + std::to_string(element));
    }
    void WriteSystem(int index, const TCustomParam& value) override {
        if (index == SV_LCLICK) clicked = value.AsBool();
    }
    int32_t SystemCount(int index) override { return index == SV_PARAMSTR ? 2 : 0; }
    TCustomParam* CallResult() override { return &result; }
};

TEST(SystemVars, ReadWriteAndForward) {
    ScriptEnv env;
    FakeHost host;
    env.vars.SetHost(&host);
    env.Declare("x", PT_INT);
    EXPECT_EQ(env.Run("@LClick"), "TRUE");
    // A string written into a Boolean system variable is read as a number.
    env.vars.Find("@LClick")->P().SetStr("TRUE");
    EXPECT_FALSE(host.clicked);
    env.Run("@LClick = 1");
    EXPECT_TRUE(host.clicked);
    EXPECT_EQ(env.Run("@KeyPush[65]"), "TRUE");
    EXPECT_EQ(env.Run("@KeyPush[66]"), "FALSE");
    EXPECT_EQ(env.Run("@KeyPush[258]"), "(none)");
    EXPECT_EQ(env.Run("GetArraySize(@KeyPush)"), "258");
    EXPECT_EQ(env.Run("@ParamStr[1]"), "arg1");
    EXPECT_EQ(env.Run("@ParamStr"), "");
    env.Run("@Result = 12");
    EXPECT_EQ(host.result.AsInt(), 12);
    env.Run("@ScrWidth = 5");  // read-only: ignored
    EXPECT_EQ(env.Run("@ScrWidth"), "0");
    env.Run("@TextDelay = 20");
    EXPECT_EQ(env.vars.TextDelay, 20);
    EXPECT_EQ(env.Run("@IsDebug"), "FALSE");
    EXPECT_EQ(env.Run("@1Hour * 24"), "1");
    EXPECT_EQ(env.Run("Int(@Pi * 1000)"), "3141");
}

TEST(SystemVars, TempStandsForTheAssignedVariable) {
    ScriptEnv env;
    env.Declare("x", PT_INT).SetInt(3);
    // Standing for nothing, it has no kind: there is no value to give.
    EXPECT_EQ(env.Run("@Temp"), "(none)");
    EXPECT_EQ(env.Run("GetVarType(@Temp)"), "0");
    EXPECT_EQ(env.Run("AssignTemp(\"x\")"), "TRUE");
    EXPECT_EQ(env.Run("AssignTemp(\"none\")"), "FALSE");
    env.Run("@Temp = @Temp + 1");
    EXPECT_EQ(env.Var("x").AsInt(), 4);
    // Standing for itself (or any system variable) stands for nothing.
    env.vars.TempName = "@Temp";
    EXPECT_EQ(env.Run("@Temp"), "(none)");
    env.Run("@Temp = 5");
    env.vars.TempName = "@TextDelay";
    EXPECT_EQ(env.Run("@Temp"), "(none)");
    EXPECT_EQ(env.Run("GetVarType(@Temp)"), "0");
}

TEST(SystemVars, DateVariablesAreInRange) {
    ScriptEnv env;
    EXPECT_GE(std::stoi(env.Run("@Year")), 2000);
    int month = std::stoi(env.Run("@Month")), week = std::stoi(env.Run("@Week"));
    EXPECT_TRUE(month >= 1 && month <= 12);
    EXPECT_TRUE(week >= 1 && week <= 7);
}

}  // namespace
}  // namespace mivo::script::testing
