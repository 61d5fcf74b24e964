#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "script/conversions.hpp"
#include "script/params.hpp"

namespace mivo::script {
namespace {

struct IntText {
    const char* text;
    std::optional<int32_t> value;
};
class StrToIntTest : public ::testing::TestWithParam<IntText> {};
TEST_P(StrToIntTest, Parses) { EXPECT_EQ(TryStrToInt(GetParam().text), GetParam().value) << GetParam().text; }
INSTANTIATE_TEST_SUITE_P(
    Texts, StrToIntTest,
    ::testing::Values(IntText{"0", 0}, IntText{"42", 42}, IntText{"  -17", -17}, IntText{"+5", 5},
                      IntText{"$FF", 255}, IntText{"x1f", 31}, IntText{"0x10", 16}, IntText{"-$10", -16},
                      IntText{"$FFFFFFFF", -1}, IntText{"2147483647", 2147483647},
                      IntText{"-2147483648", std::numeric_limits<int32_t>::min()}, IntText{"2147483648", std::nullopt},
                      IntText{"$100000000", std::nullopt}, IntText{"1.5", std::nullopt}, IntText{"", std::nullopt},
                      IntText{"12 ", std::nullopt}, IntText{"-", std::nullopt}, IntText{"$", std::nullopt},
                      IntText{"TRUE", std::nullopt}, IntText{"1e3", std::nullopt}));

struct FloatText {
    const char* text;
    std::optional<long double> value;
};
class StrToFloatTest : public ::testing::TestWithParam<FloatText> {};
TEST_P(StrToFloatTest, Parses) { EXPECT_EQ(TryStrToFloat(GetParam().text), GetParam().value) << GetParam().text; }
INSTANTIATE_TEST_SUITE_P(
    Texts, StrToFloatTest,
    ::testing::Values(FloatText{"1.5", 1.5L}, FloatText{" -2.25 ", -2.25L}, FloatText{"1e3", 1000.0L},
                      FloatText{"1E-2", 0.01L}, FloatText{".5", 0.5L}, FloatText{"3.", 3.0L}, FloatText{"7", 7.0L},
                      FloatText{"1,5", std::nullopt}, FloatText{"inf", std::nullopt}, FloatText{"nan", std::nullopt},
                      FloatText{"0x10", std::nullopt}, FloatText{"1e", std::nullopt}, FloatText{"", std::nullopt},
                      FloatText{".", std::nullopt}, FloatText{"1e99999", std::numeric_limits<long double>::infinity()}));

struct FloatOut {
    long double value;
    const char* text;
};
class FloatToStrTest : public ::testing::TestWithParam<FloatOut> {};
TEST_P(FloatToStrTest, Formats) { EXPECT_EQ(FloatToStr(GetParam().value), GetParam().text); }
INSTANTIATE_TEST_SUITE_P(
    Values, FloatToStrTest,
    ::testing::Values(FloatOut{0, "0"}, FloatOut{1.5L, "1.5"}, FloatOut{-2.0L, "-2"}, FloatOut{3.5L, "3.5"},
                      FloatOut{0.1L, "0.1"}, FloatOut{1e20L, "1E20"}, FloatOut{1.5e-6L, "1.5E-6"},
                      FloatOut{0.00001L, "0.00001"}, FloatOut{123456789012345.0L, "123456789012345"},
                      FloatOut{1234567890123456.0L, "1.23456789012346E15"}, FloatOut{1.0L / 3, "0.333333333333333"},
                      FloatOut{2.0L / 3, "0.666666666666667"}, FloatOut{100, "100"},
                      FloatOut{std::numeric_limits<long double>::infinity(), "INF"}));

TEST(Conversions, FloatToIntIsDefinedEverywhere) {
    EXPECT_EQ(FloatToInt(2.9L), 2);
    EXPECT_EQ(FloatToInt(-2.9L), -2);
    EXPECT_EQ(FloatToInt(std::nanl("")), 0);
    EXPECT_EQ(FloatToInt(1e30L), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(FloatToInt(-1e30L), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(FloatToInt(std::numeric_limits<long double>::infinity()), std::numeric_limits<int32_t>::max());
}

TEST(Conversions, BooleanText) {
    EXPECT_TRUE(ToBool(std::string("TRUE")));
    EXPECT_FALSE(ToBool(std::string("FALSE")));
    EXPECT_FALSE(ToBool(std::string("true")));  // read as a number: 0
    EXPECT_TRUE(ToBool(std::string("2")));
    EXPECT_FALSE(ToBool(std::string("1.5")));
    EXPECT_EQ(ToStr(Flag::True), "TRUE");
}

// What each kind reads as, after storing a value of another kind.
TEST(Conversions, ParametersConvertOnReadAndWrite) {
    TParamInt i;
    EXPECT_EQ(i.AsInt(), 0);
    EXPECT_EQ(i.AsStr(), "0");
    EXPECT_FALSE(i.AsBool());
    TParamStr s;
    EXPECT_EQ(s.AsStr(), "");
    EXPECT_EQ(s.AsInt(), 0);
    s.SetStr("1.5");
    EXPECT_EQ(s.AsInt(), 0);
    EXPECT_EQ(s.AsFloat(), 1.5L);
    s.SetStr("TRUE");
    EXPECT_TRUE(s.AsBool());
    EXPECT_EQ(s.AsInt(), 0);
    s.SetStr("2");
    EXPECT_TRUE(s.AsBool());
    i.SetFloat(2.9L);
    EXPECT_EQ(i.AsInt(), 2);
    i.SetFloat(-2.9L);
    EXPECT_EQ(i.AsInt(), -2);
    TParamFlag b;
    b.SetStr("TRUE");
    EXPECT_EQ(b.AsStr(), "TRUE");
    EXPECT_EQ(b.AsFloat(), 1.0L);
    TParamFloat f;
    f.SetBool(true);
    EXPECT_EQ(f.AsStr(), "1");
    f.SetStr("abc");
    EXPECT_EQ(f.AsFloat(), 0.0L);
}

}  // namespace
}  // namespace mivo::script
