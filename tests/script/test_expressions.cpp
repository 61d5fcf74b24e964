#include <gtest/gtest.h>

#include "core/error.hpp"
#include "script_env.hpp"

namespace mivo::script::testing {
namespace {

struct Case {
    const char* setup;  // run first (may be "")
    const char* expr;
    const char* var;     // variable to read afterwards ("" = the Result)
    const char* expect;
};

class ExpressionTest : public ::testing::TestWithParam<Case> {};

TEST_P(ExpressionTest, Evaluates) {
    const Case& c = GetParam();
    ScriptEnv env;
    env.Declare("x", PT_INT);
    env.Declare("f", PT_FLOAT);
    env.Declare("s", PT_STR);
    env.Declare("b", PT_BOOL);
    env.Declare("y", PT_INT).SetInt(4);
    env.Declare("a", PT_INT).SetDims({3, 4});
    if (*c.setup) env.Run(c.setup);
    std::string r = env.Run(c.expr);
    if (*c.var) r = env.Var(c.var).AsStr();
    EXPECT_EQ(r, c.expect) << c.expr << " / " << env.last_error;
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, ExpressionTest,
    ::testing::Values(Case{"", "x = 1 + 2 * 3", "x", "7"}, Case{"", "x = (1 + 2) * 3", "x", "9"},
                      Case{"", "x = 10 - 4 - 3", "x", "3"}, Case{"", "x = 7 / 2", "x", "3"},
                      Case{"", "x = 7.0 / 2", "x", "3"}, Case{"", "f = 7.0 / 2", "f", "3.5"},
                      // Integer operands divide as integers: the temporary holds 3.
                      Case{"", "f = 7 / 2", "f", "3"}, Case{"", "x = 2.5 * 2", "x", "5"},
                      Case{"", "x = -3 * 2", "x", "-6"}, Case{"", "x = 2 * -3", "x", "-6"},
                      Case{"", "x = --3", "x", "3"}, Case{"", "x = +5", "x", "5"},
                      Case{"", "x = -7 / 2", "x", "-3"}, Case{"", "x = -7 % 3", "x", "-1"},
                      Case{"", "x = 7 % -3", "x", "1"}, Case{"", "x = 2147483647 + 1", "x", "-2147483648"},
                      Case{"", "x = 6 | 9", "x", "15"}, Case{"", "x = 6 & 3", "x", "2"},
                      Case{"", "x = 6 ^ 3", "x", "5"}, Case{"", "x = 1 << 33", "x", "2"},
                      Case{"", "x = -1 >> 28", "x", "15"}, Case{"", "x = 1 + 2 << 1", "x", "6"},
                      Case{"", "f = 2.9", "f", "2.9"}, Case{"", "x = 2.9", "x", "2"},
                      Case{"", "x = 0 - 2.9", "x", "-2"}, Case{"", "x = $FF", "x", "255"},
                      Case{"", "y + 1", "", "5"}, Case{"", "y * y - 1", "", "15"},
                      Case{"", "x = y", "", "(none)"}, Case{"", "(y)", "", "4"}));

INSTANTIATE_TEST_SUITE_P(
    StringsAndComparisons, ExpressionTest,
    ::testing::Values(Case{"", "s = \"ab\" ++ \"cd\"", "s", "abcd"}, Case{"", "s = \"ab\" + \"cd\"", "s", "0"},
                      Case{"", "s = \"1\" + \"2\"", "s", "3"}, Case{"", "b = 1 < 1.5", "b", "FALSE"},
                      Case{"", "b = 1.5 > 1", "b", "TRUE"}, Case{"", "b = \"abc\" == \"ABC\"", "b", "FALSE"},
                      Case{"", "b = \"abc\" < \"abd\"", "b", "TRUE"}, Case{"", "b = 2 <> 3", "b", "TRUE"},
                      Case{"", "b = 3 >= 3", "b", "TRUE"}, Case{"", "b = 3 <= 2", "b", "FALSE"},
                      Case{"", "b = TRUE > FALSE", "b", "TRUE"}, Case{"", "s = y ++ 1 == 1", "s", "4TRUE"},
                      Case{"", "s = \"a\\\"b\"", "s", "a\"b"}, Case{"", "s = \"a\\\\b\"", "s", "a\\b"},
                      Case{"", "s = \"a\\nb\"", "s", "a\r\nb"}, Case{"", "s = \"a\\qb\"", "s", "a\\qb"},
                      Case{"", "s = \"a+b,c\"", "s", "a+b,c"}, Case{"", "s = \"\"", "s", ""},
                      Case{"", "s = 1.5", "s", "1.5"}, Case{"", "s = 1 = 1", "", "error: 構文エラー"}));

INSTANTIATE_TEST_SUITE_P(
    Arrays, ExpressionTest,
    ::testing::Values(Case{"a[1,2] = 5", "a[1,2]", "", "5"}, Case{"a[1,2] = 5", "GetArraySize(a)", "", "12"},
                      Case{"a[0,5] = 8", "a[1,1]", "", "8"}, Case{"a[2,3] = 9", "a[1+1, y-1] * 2", "", "18"},
                      Case{"", "a[0,12]", "", "(none)"}, Case{"", "a[1]", "", "(none)"},
                      Case{"", "a[0,-1] = 3", "", "(none)"}, Case{"", "x = a[1,2,3]", "", "(none)"},
                      Case{"a[1,1] = 3", "a[a[1,1] - 2, 1]", "", "3"}, Case{"a = 5", "GetArraySize(a)", "", "1"}));

INSTANTIATE_TEST_SUITE_P(
    Calls, ExpressionTest,
    ::testing::Values(Case{"", "IntToStr(7, 3)", "", "007"}, Case{"", "IntToStr(Length(\"abc\") + 1)", "", "4"},
                      Case{"", "Length(\"a,b\")", "", "3"}, Case{"", "Copy(\"abcdef\", 2 + 1, (1 + 1))", "", "cd"},
                      Case{"", "Max(Min(5, 9), 3)", "", "5"}, Case{"", "s = IntToStr(y)", "s", "4"},
                      Case{"", "Length(\"\")", "", "0"}, Case{"", "Calc(\"x = 42\")", "x", "42"},
                      Case{"", "Calc(\"x = \")", "", ""}, Case{"", "Calc(\"\")", "", ""},
                      Case{"", "Calc(\"y + 1\")", "", "TRUE"}, Case{"", "Not(FALSE)", "", "TRUE"}));

struct ErrorCase {
    const char* expr;
    const char* message;
};

class CompileErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CompileErrorTest, Fails) {
    ScriptEnv env;
    EXPECT_EQ(env.Run(GetParam().expr), std::string("error: ") + GetParam().message) << GetParam().expr;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, CompileErrorTest,
    ::testing::Values(ErrorCase{"a = b = c", "構文エラー"}, ErrorCase{"a +", "構文エラー"},
                      ErrorCase{"(1 + 2", "構文エラー"}, ErrorCase{"1 + 2)", "構文エラー"},
                      ErrorCase{"a[1", "構文エラー"}, ErrorCase{"a]1[", "構文エラー"},
                      ErrorCase{"= 3", "構文エラー"}, ErrorCase{"1 2 + * 3", "構文エラー"},
                      ErrorCase{"x = 1 +", "構文エラー"}, ErrorCase{"+[1]", "構文エラー"},
                      ErrorCase{"a[]", "配列の添え字が不正です"}, ErrorCase{"a[ ]", "配列の添え字が不正です"},
                      ErrorCase{"Foo(1)", "\"Foo\" 関数名がありません"},
                      ErrorCase{"inttostr(1)", "\"inttostr\" 関数名がありません"},
                      ErrorCase{"IntToHex(1)", "IntToHex 引数の数が不正です"},
                      ErrorCase{"Length(1, 2)", "Length 引数の数が不正です"},
                      ErrorCase{"PopVar(1)", "PopVar 引数の数が不正です"}, ErrorCase{"s = \"abc", "構文エラー"}));

TEST(Expression, FailureKeepsEarlierEffects) {
    ScriptEnv env;
    env.Declare("x", PT_INT);
    env.Declare("s", PT_STR);
    // The first call runs, the second fails on the missing variable.
    EXPECT_EQ(env.Run("x = Length(Calc(\"s = \\\"done\\\"\")) + zz"), "(none)");
    EXPECT_EQ(env.Var("s").AsStr(), "done");
    EXPECT_EQ(env.Var("x").AsInt(), 0);
    EXPECT_EQ(env.last_error, "\"zz\" 変数がありません");
}

TEST(Expression, CallsRunInnermostFirstAndLiteralCommaIsOneArgument) {
    ScriptEnv env;
    env.Declare("s", PT_STR);
    EXPECT_EQ(env.Run("s = Copy(\"x,y\" ++ IntToStr(Length(\"ab,c\")), 1, 9)"), "(none)");
    EXPECT_EQ(env.Var("s").AsStr(), "x,y4");
    TBuildMivoParser build;
    build.Build("Max(Abs(1), 2)");
    ASSERT_GE(build.Operations().size(), 2u);
    EXPECT_EQ(SysFunction(build.Operations()[0].Function).name, std::string("Abs"));
    EXPECT_EQ(SysFunction(build.Operations()[1].Function).name, std::string("Max"));
}

struct DivCase {
    const char* expr;
};
class DivisionTest : public ::testing::TestWithParam<DivCase> {};

TEST_P(DivisionTest, FailsLikeDivisionByZero) {
    ScriptEnv env;
    env.Declare("x", PT_INT).SetInt(11);
    env.Declare("f", PT_FLOAT).SetFloat(1.5);
    env.Declare("m", PT_INT).SetInt(-2147483647);
    EXPECT_EQ(env.Run(GetParam().expr), "(none)");
    EXPECT_EQ(env.last_error, "0で除算しました") << GetParam().expr;
    EXPECT_EQ(env.Var("x").AsInt(), 11);
    EXPECT_EQ(env.Var("f").AsFloat(), 1.5);
}

INSTANTIATE_TEST_SUITE_P(Zero, DivisionTest,
                         ::testing::Values(DivCase{"x = 1 / 0"}, DivCase{"x = 1 % 0"}, DivCase{"f = 1.5 / 0"},
                                           DivCase{"f = 0.0 / 0"}, DivCase{"x = (m - 1) / -1"},
                                           DivCase{"x = (m - 1) % -1"}, DivCase{"f = f / (f - f)"}));

TEST(Expression, TemporariesOfNestedCalcAreTheirOwn) {
    ScriptEnv env;
    env.Declare("x", PT_INT);
    env.Declare("t", PT_STR).SetStr("x = 1 + 2");
    // Both evaluations use ____0..: the inner must not write the outer's.
    EXPECT_EQ(env.Run("x = Length(Calc(t) ++ \"ab\") * 10"), "(none)");
    EXPECT_EQ(env.Var("x").AsInt(), 60);
}

TEST(Expression, RecursiveCalcIsBounded) {
    ScriptEnv env;
    env.Declare("n", PT_INT);
    env.Declare("t", PT_STR).SetStr("n = Length(Calc(t)) * 0 + n + 1");
    env.Run("Calc(t)");
    EXPECT_EQ(env.Var("n").AsInt(), kMaxEvaluationDepth - 1);
}

TEST(Expression, AssignToTargetKeepsQuotesAsData) {
    ScriptEnv env;
    env.Declare("s", PT_STR);
    env.Declare("x", PT_INT);
    env.Declare("a", PT_STR).SetDims({3});
    TParamStr value;
    value.SetStr("a\" ++ Calc(\"x = 9\") ++ \"\\");
    EXPECT_TRUE(AssignToTarget("s", value, env.funcs));
    EXPECT_EQ(env.Var("s").AsStr(), value.AsStr());
    EXPECT_EQ(env.Var("x").AsInt(), 0);
    EXPECT_TRUE(AssignToTarget("a[1 + 1]", value, env.funcs));
    EXPECT_EQ(env.Var("a").GetStrAt(2), value.AsStr());
    TParamFloat number;
    number.SetFloat(2.5);
    EXPECT_TRUE(AssignToTarget("x", number, env.funcs));
    EXPECT_EQ(env.Var("x").AsInt(), 0);  // "2.5" read as an integer text
    EXPECT_FALSE(AssignToTarget("a[", value, env.funcs));
}

TEST(Expression, OneCompiledExpressionRunsAgainstSeveralCollections) {
    TMivoParser parser;
    ASSERT_TRUE(CompileExpression("x = x + 1", parser));
    auto first = std::make_unique<ScriptEnv>();
    first->Declare("x", PT_INT).SetInt(1);
    parser.Execute(first->funcs);
    ScriptEnv second;
    second.Declare("x", PT_INT).SetInt(10);
    first.reset();  // the items the first run found are gone
    parser.Execute(second.funcs);
    parser.Execute(second.funcs);
    EXPECT_EQ(second.Var("x").AsInt(), 12);
    // A variable created after a run is found by the next one.
    TMivoParser other;
    ASSERT_TRUE(CompileExpression("y = 3", other));
    other.Execute(second.funcs);
    EXPECT_EQ(other.LastError(), "\"y\" 変数がありません");
    second.Declare("y", PT_INT);
    other.Execute(second.funcs);
    EXPECT_EQ(second.Var("y").AsInt(), 3);
}

TEST(Expression, ResultIsNoneWhenTheLastOperationDidNotRun) {
    ScriptEnv env;
    EXPECT_EQ(env.Run("nothing + 1"), "(none)");
    EXPECT_EQ(env.Run("1 + 1"), "2");
}

TEST(Expression, DoubleByteNamesAndTrailBytes) {
    ScriptEnv env;
    // 表 is 0x95 0x5C: its second byte is a backslash; ソ (0x83 0x5C) too.
    std::string hyo = "\x95\x5C";
    env.Declare(hyo, PT_STR);
    EXPECT_EQ(env.Run(hyo + " = \"\x83\x5C\" ++ \"x\""), "(none)");
    EXPECT_EQ(env.Var(hyo).AsStr(), "\x83\x5Cx");
    // 0x81 0x7C (－): the second byte is '|', no operator.
    std::string minus = "\x81\x7C";
    env.Declare("v" + minus, PT_INT).SetInt(3);
    EXPECT_EQ(env.Run("v" + minus + " * 2"), "6");
    // ‐ is 0x81 0x5D: its second byte is ']'.
    env.Declare("w\x81\x5D", PT_INT).SetInt(5);
    EXPECT_EQ(env.Run("w\x81\x5D + 1"), "6");
}

TEST(Compiler, CopiesBetweenTemporariesAreRemoved) {
    TBuildMivoParser build;
    build.Build("x = (1 + 2)");
    ASSERT_EQ(build.Operations().size(), 2u);
    EXPECT_EQ(build.Operations()[0].Code, ocPlus);
    EXPECT_EQ(build.Operations()[0].Dest, "____1");
    EXPECT_EQ(build.Operations()[1].Code, ocTo);
    EXPECT_EQ(build.Operations()[1].Dest, "x");
    EXPECT_EQ(build.Operations()[1].Operands, std::vector<std::string>{"____1"});
}

TEST(Compiler, StoredFormIsByteExact) {
    TBuildMivoParser build;
    build.Build("s = a[1] ++ \"q\"");
    TMemoryStream stream;
    build.SaveToStream(stream);
    std::string expect;
    auto i32 = [&](int32_t v) { expect.append(reinterpret_cast<const char*>(&v), 4); };
    auto str = [&](const std::string& v) {
        i32(static_cast<int32_t>(v.size()));
        expect += v;
    };
    i32(4);
    expect += '\x01', str("____0"), i32(1), expect += '\x04', str("q");
    expect += '\x0A', str("____d_1"), i32(2), expect += '\x00', str("a"), expect += '\x01', i32(1);
    expect += '\x13', str("____2"), i32(2), expect += '\x00', str("____d_1"), expect += '\x00', str("____0");
    expect += '\x01', str("s"), i32(1), expect += '\x00', str("____2");
    EXPECT_EQ(stream.Bytes(), expect);

    TMivoParser parser;
    stream.SetPosition(0);
    parser.LoadFromStream(stream);
    TMemoryStream again;
    parser.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), expect);
}

TEST(Compiler, LongTextCompilesAndTooLongIsRefused) {
    std::string text = "x = 0";
    while (text.size() + 13 <= TBuildMivoParser::kMaxSourceLength) text += " + (1) * \"2\"";
    TBuildMivoParser build;
    build.Build(text);
    EXPECT_GT(build.Operations().size(), 3000u);
    text += std::string(TBuildMivoParser::kMaxSourceLength, ' ');
    EXPECT_THROW(build.Build(text), Error);
}

TEST(Compiler, OperandKinds) {
    TBuildMivoParser build;
    build.Build("PushVar(1, $1F, 2.5, 1e3, TRUE, true, x1, 99999999999, x1F)");
    TMemoryStream stream;
    build.SaveToStream(stream);
    stream.SetPosition(0);
    TMivoParser parser;
    parser.LoadFromStream(stream);
    const auto& ops = parser.Operations()[0].Operands;
    std::vector<uint8_t> kinds;
    for (const auto& p : ops) kinds.push_back(dynamic_cast<const TParamVar*>(p.get()) ? 0 : p->GetKind());
    EXPECT_EQ(kinds, (std::vector<uint8_t>{1, 1, 2, 2, 3, 0, 0, 2, 0}));
    EXPECT_EQ(ops[1]->AsInt(), 31);
    EXPECT_EQ(ops[3]->AsFloat(), 1000.0L);
}

}  // namespace
}  // namespace mivo::script::testing
