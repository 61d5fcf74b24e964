#include <gtest/gtest.h>

#include "script/script_host.hpp"
#include "script_env.hpp"

namespace mivo::script::testing {
namespace {

struct Case {
    const char* expr;
    const char* expect;  // the Result as text, "(none)" when the call fails
};

// Each case runs in a fresh collection with these variables:
//   s = "abc", n = 5, f = 2.5, a[4] int = 0, 3, 0, 4, m[2,5] int, t[3] str = b, a, b
void Prepare(ScriptEnv& env) {
    env.Declare("s", PT_STR).SetStr("abc");
    env.Declare("n", PT_INT).SetInt(5);
    env.Declare("f", PT_FLOAT).SetFloat(2.5L);
    TCustomParam& a = env.Declare("a", PT_INT);
    a.SetDims({4});
    a.SetIntAt(1, 3);
    a.SetIntAt(3, 4);
    env.Declare("m", PT_INT).SetDims({2, 5});
    TCustomParam& t = env.Declare("t", PT_STR);
    t.SetDims({3});
    t.SetStrAt(0, "b");
    t.SetStrAt(1, "a");
    t.SetStrAt(2, "b");
    env.Declare("r", PT_STR);
    env.Declare("lead", PT_STR).SetStr("ab\x83");
    env.Declare("lead2", PT_STR).SetStr("a\x83\x83");
    env.Declare("i", PT_INT);
}

// "first ;; second" runs two expressions and checks the second: calls in
// one expression run right to left.
class FunctionTest : public ::testing::TestWithParam<Case> {};
TEST_P(FunctionTest, Gives) {
    ScriptEnv env;
    Prepare(env);
    std::string text = GetParam().expr, result;
    for (size_t at; (at = text.find(" ;; ")) != std::string::npos; text.erase(0, at + 4)) env.Run(text.substr(0, at));
    result = env.Run(text);
    EXPECT_EQ(result, GetParam().expect) << GetParam().expr << " / " << env.last_error;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, FunctionTest,
    ::testing::Values(Case{"IntToStr(-5)", "-5"}, Case{"IntToStr(5, 3)", "005"}, Case{"IntToStr(0 - 5, 3)", "-005"},
                      Case{"IntToStr(5, \"x\")", "(none)"}, Case{"IntToStr(5, 0 - 1)", "(none)"},
                      Case{"IntToStr(5, 999999999999)", "(none)"}, Case{"IntToHex(255, 4)", "00FF"},
                      Case{"IntToHex(0 - 1, 2)", "FFFFFFFF"}, Case{"IntToHex(1, 99999999)", "(none)"},
                      Case{"Int(0 - 2.7)", "-2"}, Case{"Int(1e30)", "2147483647"}, Case{"Float(\"1.5\")", "1.5"},
                      Case{"Sin(0)", "0"}, Case{"Cos(0)", "1"}, Case{"ArcSin(2)", "(none)"}, Case{"ArcCos(1)", "0"},
                      Case{"Int(ArcTan2(1, 1) * 4000)", "3141"}, Case{"Hypot(3, 4)", "5"},
                      Case{"Abs(0 - 2147483647 - 1)", "-2147483648"}, Case{"Abs(0 - 3)", "3"},
                      Case{"Fabs(0 - f)", "2.5"}, Case{"Min(2, 0 - 1)", "-1"}, Case{"Max(2, 9)", "9"},
                      Case{"Fmin(f, 3)", "2.5"}, Case{"Fmax(f, 3)", "3"}, Case{"Random(0)", "0"},
                      Case{"Random(1)", "0"}, Case{"StrToIntDef(\"$10\", 7)", "16"},
                      Case{"StrToIntDef(\"zz\", 7)", "7"}, Case{"StrToFloatDef(\"1.25\", 0)", "1.25"},
                      Case{"StrToFloatDef(\"x\", 2)", "2"}, Case{"Chr(321)", "A"}, Case{"Ord(\"A\")", "65"},
                      Case{"Ord(\"\")", "0"}, Case{"Not(0)", "TRUE"}, Case{"GetVarType(f)", "2"},
                      Case{"GetVarType(t)", "4"}, Case{"GetVarType(1)", "1"}));

INSTANTIATE_TEST_SUITE_P(
    Strings, FunctionTest,
    ::testing::Values(Case{"Length(\"\x83\x41\x83\x43\x83\x45z\")", "7"}, Case{"JLength(\"\x83\x41\x83\x43\x83\x45z\")", "4"},
                      Case{"Copy(s, 2)", "bc"}, Case{"Copy(s, 0, 2)", "ab"}, Case{"Copy(s, 9, 2)", ""},
                      Case{"Copy(s, 2, 0 - 1)", ""}, Case{"JCopy(\"a\x83\x41z\", 2, 1)", "\x83\x41"},
                      Case{"JCopy(s, 2)", "bc"}, Case{"Delete(s, 2, 1) ;; s", "ac"}, Case{"Delete(s, 2, 1)", ""},
                      Case{"Delete(s, 2) ;; s", "a"}, Case{"Delete(s, 0, 1) ;; s", "abc"},
                      Case{"JDelete(s, 1, 1) ;; s", "bc"}, Case{"Insert(\"X\", s, 2) ;; s", "aXbc"},
                      Case{"Insert(\"X\", s, 99) ;; s", "abcX"}, Case{"JInsert(\"X\", s, 0) ;; s", "Xabc"},
                      Case{"CompareStr(\"a\", \"b\")", "-1"}, Case{"CompareStr(\"ab\", \"a\")", "1"},
                      Case{"CompareStr(\"A\", \"A\")", "0"}, Case{"CompareText(\"ABC\", \"abc\")", "0"},
                      Case{"CompareText(\"a\", \"B\")", "-1"}, Case{"Pos(\"c\", s)", "3"}, Case{"Pos(\"z\", s)", "0"},
                      Case{"Pos(\"\", s)", "0"}, Case{"JPos(\"\\\\\", \"\x83\x5C\\\\\")", "2"},
                      Case{"Pos(\"\\\\\", \"\x83\x5C\\\\\")", "2"}, Case{"JPos(\"\", s)", "(none)"},
                      Case{"Trim(\"  a b \")", "a b"}, Case{"JTrim(\"\x81\x40 a \x81\x40\")", "a"},
                      Case{"LowerCase(\"AB\x83\x41\")", "ab\x83\x41"}, Case{"UpperCase(\"ab\x83\x61\")", "AB\x83\x61"},
                      Case{"StringOfChar(\"ab\", 3)", "ababab"}, Case{"StringOfChar(\"ab\", 0 - 1)", ""},
                      Case{"StringOfChar(\"ab\", 2147483647)", "(none)"},
                      Case{"StringReplace(\"aXbXc\", \"X\", \"-\")", "a-bXc"},
                      Case{"StringReplace(\"aXbXc\", \"X\", \"-\", TRUE)", "a-b-c"},
                      Case{"StringReplace(\"axbXc\", \"X\", \"-\", TRUE, TRUE)", "a-b-c"},
                      Case{"StringReplace(\"\x83\x5C\\\\\", \"\\\\\", \"/\", TRUE)", "\x83\x5C/"},
                      Case{"StringReplace(s, \"\", \"-\", TRUE)", "abc"}, Case{"FixStr(lead)", "ab"},
                      Case{"FixStr(lead2)", "a\x83\x83"}, Case{"s = \"\x83\"", "error: 構文エラー"},
                      Case{"HanToZen(\"a\")", "\x82\x81"}, Case{"ZenToHan(\"\x82\x81\")", "a"},
                      Case{"AddDelimiter(\",\", s)", "abc,"}, Case{"AddDelimiter(\",\", \"\")", ""},
                      Case{"IsDelimiter(\",;\", \"a;b\", 2)", "TRUE"}, Case{"IsDelimiter(\",\", \"a;b\", 2)", "FALSE"},
                      Case{"IsDelimiter(\"\\\\\", \"\x83\x5C\", 2)", "FALSE"}, Case{"IsDelimiter(\",\", s, 9)", "FALSE"}));

INSTANTIATE_TEST_SUITE_P(
    Paths, FunctionTest,
    ::testing::Values(Case{"ExtractFilePath(\"c:\\\\dir\\\\f.txt\")", "c:\\dir\\"},
                      Case{"ExtractFileName(\"c:\\\\dir\\\\f.txt\")", "f.txt"},
                      Case{"ExtractFileExt(\"dir.x\\\\f.txt\")", ".txt"}, Case{"ExtractFileExt(\"dir.x\\\\f\")", ""},
                      Case{"ExtractFileName(\"d\\\\\x95\x5C.txt\")", "\x95\x5C.txt"},
                      Case{"IsPathDelimiter(\"a\\\\\", 2)", "TRUE"}, Case{"IsPathDelimiter(\"\x95\x5C\", 2)", "FALSE"},
                      Case{"AddBackSlash(\"\")", "\\"}, Case{"AddBackSlash(\"a\\\\\")", "a\\"},
                      Case{"AddBackSlash(\"\x95\x5C\")", "\x95\x5C\\"}, Case{"ChangeFileExt(\"a.b.c\", \".x\")", "a.b.x"},
                      Case{"ChangeFileExt(\"a\", \".x\")", "a.x"}));

INSTANTIATE_TEST_SUITE_P(
    Arrays, FunctionTest,
    ::testing::Values(Case{"GetArraySize(m, 0)", "5"}, Case{"GetArraySize(m, 1)", "2"}, Case{"GetArraySize(m)", "10"},
                      Case{"GetArraySize(3)", "(none)"}, Case{"SetArray(n, 3, 4) ;; GetArraySize(n)", "12"},
                      Case{"SetArray(n, 0)", "(none)"}, Case{"FillMem(a, \"7\") ;; ArrayToString(a, \",\")", "7,7,7,7"},
                      Case{"CopyMem(m, a) ;; GetArraySize(m)", "4"}, Case{"CopyMem(t, a)", "(none)"},
                      Case{"CopyArray(t, a) ;; ArrayToString(t, \",\")", "0,3,0,4"},
                      Case{"AddArray(a, t)", "7"}, Case{"AddArray(a, a) ;; ArrayToString(a, \",\")", "0,3,0,4,0,3,0,4"},
                      Case{"AddArray(m, a)", "10"}, Case{"InsertArray(a, 1, n) ;; ArrayToString(a, \",\")", "0,5,3,0,4"},
                      Case{"InsertArray(a, 0 - 9, n) ;; ArrayToString(a, \",\")", "5,0,3,0,4"},
                      Case{"DeleteArray(a, 1, 2) ;; ArrayToString(a, \",\")", "0,4"},
                      Case{"DeleteArray(a, 3, 9) ;; ArrayToString(a, \",\")", "0,3,0"},
                      Case{"DeleteArray(a, 0, 4)", "(none)"}, Case{"DeleteArray(m, 0, 1)", "10"},
                      Case{"ArrayToString(t)", "b\r\na\r\nb"},
                      Case{"StringToArray(\"a,b;c\", t, \",;\") ;; ArrayToString(t, \"|\")", "a|b|c"},
                      Case{"StringToArray(\"a,,b,\", t, \",\") ;; ArrayToString(t, \"|\")", "a||b"},
                      Case{"StringToArray(\"x\r\ny\rz\n\", t) ;; ArrayToString(t, \"|\")", "x|y|z"},
                      Case{"StringToArray(\"\", t) ;; GetArraySize(t) ++ t", "1"},
                      Case{"StringToArray(\"\x83\x5C\\\\b\", t, \"\\\\\") ;; ArrayToString(t, \"|\")", "\x83\x5C|b"},
                      Case{"StringToArray(\"1,2\", a, \",\") ;; a[1] * 10", "20"},
                      Case{"IndexOfStr(t, \"a\")", "1"}, Case{"IndexOfStr(t, \"B\")", "-1"},
                      Case{"IndexOfStr(t, \"B\", FALSE)", "0"}, Case{"IndexOfStr(t, \"A\", FALSE, TRUE)", "1"},
                      Case{"SortStr(t) ;; ArrayToString(t, \",\")", "a,b,b"},
                      Case{"SortStr(t, TRUE) ;; ArrayToString(t, \",\")", "b,b,a"},
                      Case{"StringToArray(\"b,B,a,C,A\", t, \",\") ;; SortStr(t) ;; ArrayToString(t, \",\")", "a,A,b,B,C"},
                      Case{"SortStr(a, FALSE, TRUE) ;; ArrayToString(a, \",\")", "0,0,3,4"},
                      Case{"UniqueArray(t) ;; ArrayToString(t, \",\")", "b,a"},
                      Case{"TrimArray(a)", "2"}, Case{"TrimArray(a) ;; ArrayToString(a, \",\")", "3,4"},
                      Case{"TrimArray(t, \"b\") ;; ArrayToString(t, \",\")", "a"},
                      Case{"GetArraySize(a) ++ TrimArray(a, 4) ++ TrimArray(a, 3) ++ TrimArray(a, 0)", "0012"},
                      Case{"TrimArray(a, 0) ++ TrimArray(a, 3) ++ TrimArray(a, 4) ;; a ++ GetArraySize(a) ++ a[0]", "(none)"},
                      Case{"TrimArray(a, 0) ++ TrimArray(a, 3) ++ TrimArray(a, 4) ;; a ++ GetArraySize(a)", "00"},
                      Case{"TrimArray(m)", "10"}));

INSTANTIATE_TEST_SUITE_P(
    VariablesAndDates, FunctionTest,
    ::testing::Values(Case{"VarExists(\"N\")", "TRUE"}, Case{"VarExists(\"zz\")", "FALSE"},
                      Case{"VarExists(\"@Pi\")", "TRUE"}, Case{"Calc(\"n = n * 2\") ;; n", "10"},
                      Case{"Calc(\"n = \") ;; n", "5"}, Case{"Calc(\"  \")", ""},
                      Case{"EncodeDate(1899, 12, 30)", "0"}, Case{"EncodeDate(2000, 1, 1)", "36526"},
                      Case{"EncodeDate(2001, 2, 29)", "(none)"}, Case{"EncodeDate(2000, 2, 29)", "36585"},
                      Case{"EncodeDate(0, 1, 1)", "(none)"}, Case{"EncodeTime(12, 0, 0)", "0.5"},
                      Case{"EncodeTime(24, 0, 0)", "(none)"},
                      Case{"DecodeDate(36526.75, n, i, a) ;; n ++ \"-\" ++ i ++ \"-\" ++ a", "2000-1-1"},
                      Case{"DecodeTime(36526.75, n, i, a) ;; n ++ \":\" ++ i", "18:0"},
                      Case{"GetYear(EncodeDate(2024, 2, 29))", "2024"}, Case{"GetMonth(36585)", "2"},
                      Case{"GetDay(36585)", "29"}, Case{"GetHour(0.75)", "18"},
                      Case{"GetMin(EncodeTime(1, 2, 3))", "2"}, Case{"GetSec(EncodeTime(1, 2, 3))", "3"},
                      Case{"GetWeek(0)", "7"}, Case{"GetWeek(1)", "1"}, Case{"GetWeekStr(36526)", "Saturday"},
                      Case{"GetWeekJStr(1)", "\x93\xfa"}, Case{"GetYear(1e300)", "(none)"},
                      Case{"GetYear(0 - 1)", "1899"}));

TEST(Functions, LaterSubsystemsFailClearlyUntilAHostProvidesThem) {
    ScriptEnv env;
    env.Declare("x", PT_INT).SetInt(1);
    EXPECT_EQ(env.Run("x = GetProp(\"btn\", 3)"), "(none)");
    EXPECT_EQ(env.last_error, "\"GetProp\" 関数はこの環境では使えません");
    EXPECT_EQ(env.Run("DBGetInt(\"f\")"), "(none)");
    EXPECT_EQ(env.Run("GetProp(\"b\", 999)"), "(none)");
    EXPECT_EQ(env.last_error, "GetPropの引数が違います");

    struct Host : TScriptHost {
        bool CallFunction(int index, TParamCollectionItem& target, std::span<TCustomParam* const> args) override {
            if (index != FindSysFunction("FileExists")) return false;
            target.P().SetBool(args[0]->AsStr() == "mem:a");
            return true;
        }
    } host;
    env.vars.SetHost(&host);
    EXPECT_EQ(env.Run("FileExists(\"mem:a\")"), "TRUE");
    EXPECT_EQ(env.Run("FileExists(\"b\")"), "FALSE");
}

TEST(Functions, WritingIntoAConstantArgumentLeavesTheExpressionAlone) {
    ScriptEnv env;
    TBuildMivoParser build;
    build.Build("DecodeTime(0.75, 1, 2, 3) ++ Delete(\"abc\", 1, 1)");
    TMemoryStream stream;
    build.SaveToStream(stream);
    stream.SetPosition(0);
    TMivoParser parser;
    parser.LoadFromStream(stream);
    parser.Execute(env.funcs);
    parser.Execute(env.funcs);
    TMemoryStream again;
    parser.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), stream.Bytes());
}

TEST(Functions, TableOrderAndCounts) {
    EXPECT_STREQ(SysFunction(0).name, "IntToStr");
    EXPECT_STREQ(SysFunction(87).name, "DBCreateTable");
    EXPECT_STREQ(SysFunction(136).name, "Calc");
    EXPECT_STREQ(SysFunction(165).name, "TrimArray");
    EXPECT_EQ(FindSysFunction("GetProp"), 2);
    EXPECT_EQ(FindSysFunction("getprop"), -1);
    EXPECT_EQ(SysFunction(21).max_args, -1);
    int implemented = 0;
    for (int i = 0; i < kSysFuncCount; ++i) implemented += SysFunction(i).run != nullptr;
    EXPECT_EQ(implemented, 86);
}

TEST(Functions, RandomIsUniformEnoughAndInRange) {
    ScriptEnv env;
    int counts[4] = {};
    for (int k = 0; k < 4000; ++k) {
        int v = env.funcs.Random(4);
        ASSERT_TRUE(v >= 0 && v < 4);
        ++counts[v];
    }
    for (int c : counts) EXPECT_GT(c, 800);
}

}  // namespace
}  // namespace mivo::script::testing
