#include <gtest/gtest.h>

#include "script/jstrings.hpp"

namespace mivo::script {
namespace {

// Shift-JIS pieces used below.
const std::string A_ = "\x83\x41";    // ア
const std::string SO = "\x83\x5C";    // ソ: second byte is a backslash
const std::string HYO = "\x95\x5C";   // 表
const std::string ZSP = "\x81\x40";   // full-width space
const std::string ZA = "\x82\x60";    // Ａ
const std::string GA = "\x83\x4B";    // ガ
const std::string DO = "\x83\x68";    // ド
const std::string CHOON = "\x81\x5B";  // ー
const std::string U = "\x83\x45";     // ウ
const std::string DAKU = "\x81\x4A";  // ゛

TEST(JStrings, CountsAndPositions) {
    EXPECT_EQ(CharCount(ZA + ZA + ZA + "a"), 4);
    EXPECT_EQ(CharCount(""), 0);
    EXPECT_EQ(CharCount("a\x83"), 2);  // a lone lead byte at the end counts
    std::string s = "a" + A_ + "b";
    EXPECT_EQ(CharStart(s, 0), 1);
    EXPECT_EQ(CharStart(s, 3), 4);
    EXPECT_EQ(CharStart(s, 9), 5);
    EXPECT_FALSE(IsTrailByte(s, 1));
    EXPECT_FALSE(IsTrailByte(s, 2));
    EXPECT_TRUE(IsTrailByte(s, 3));
    EXPECT_FALSE(IsTrailByte(s, 4));
    // A run of lead bytes pairs from its start: 0x83 0x83 0x83 0x41.
    std::string run = "\x83\x83\x83\x41";
    EXPECT_TRUE(IsTrailByte(run, 2));
    EXPECT_FALSE(IsTrailByte(run, 3));
    EXPECT_TRUE(IsTrailByte(run, 4));
    EXPECT_EQ(CharCodeAt(s, 2), 0x8341);
    EXPECT_EQ(CharCodeAt(s, 3), 'b');
    EXPECT_EQ(CodeToChar(0x8341), A_);
    EXPECT_EQ(CodeToChar('z'), "z");
}

struct CopyCase {
    std::string s;
    int64_t start, count;
    std::string expect;
};
class JCopyTest : public ::testing::TestWithParam<CopyCase> {};
TEST_P(JCopyTest, Copies) { EXPECT_EQ(JCopy(GetParam().s, GetParam().start, GetParam().count), GetParam().expect); }
INSTANTIATE_TEST_SUITE_P(Cases, JCopyTest,
                         ::testing::Values(CopyCase{"a" + A_ + "b", 2, 1, A_}, CopyCase{"abc", 0, 3, "ab"},
                                           CopyCase{"abc", 1, 0, ""}, CopyCase{"abc", 2, 100, "bc"},
                                           CopyCase{"", 1, 3, ""}, CopyCase{SO + "x", 1, 1, SO},
                                           CopyCase{"abc", 4, 1, ""}, CopyCase{"abc", -5, 7, "a"}));

TEST(JStrings, DeleteInsertPos) {
    std::string s = "a" + A_ + "b";
    JDelete(s, 2, 1);
    EXPECT_EQ(s, "ab");
    s = "abc";
    JDelete(s, 9, 1);
    EXPECT_EQ(s, "abc");
    JDelete(s, 0, 1);
    EXPECT_EQ(s, "bc");
    s = "abc";
    JInsert("x", s, 9);
    EXPECT_EQ(s, "abcx");
    s = "abc";
    JInsert("x", s, 0);
    EXPECT_EQ(s, "xabc");
    s = A_ + "b";
    JInsert("x", s, 2);
    EXPECT_EQ(s, A_ + "xb");
    EXPECT_EQ(JPos("\x40", ZSP), 0);
    EXPECT_EQ(JPos("\\", SO + "\\"), 2);
    EXPECT_EQ(JPos("b", "a" + A_ + "b"), 3);
    EXPECT_EQ(JPos("", "abc"), 0);
}

TEST(JStrings, CutTokenNeverCutsAtASecondByte) {
    std::string s = "a,b;c";
    EXPECT_EQ(CutToken(s, ",;"), "a");
    EXPECT_EQ(s, "b;c");
    s = HYO + "\\x";
    EXPECT_EQ(CutToken(s, "\\"), HYO);
    EXPECT_EQ(s, "x");
    s = "abc";
    EXPECT_EQ(CutToken(s, ""), "abc");
    EXPECT_EQ(s, "");
    EXPECT_EQ(CutToken(s, ","), "");
}

TEST(JStrings, TrimWide) {
    EXPECT_EQ(TrimWide(" " + ZSP + "a b" + ZSP + " "), "a b");
    EXPECT_EQ(TrimWide("\tx\t"), "\tx\t");
    // 0x81 0x40 0x40: the last 0x40 is no second byte, a full-width space
    // precedes it, and neither half is a space to trim.
    EXPECT_EQ(TrimWide("x\x81\x40\x40"), "x\x81\x40\x40");
    EXPECT_EQ(TrimWide("x" + A_ + " "), "x" + A_);
}

struct ZenCase {
    std::string in, out;
};
class HanToZenTest : public ::testing::TestWithParam<ZenCase> {};
TEST_P(HanToZenTest, Converts) { EXPECT_EQ(HanToZen(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(
    Cases, HanToZenTest,
    ::testing::Values(ZenCase{"\xB6\xDE\xB0\xC4\xDE", GA + CHOON + DO}, ZenCase{"\xB3\xDE", U + DAKU},
                      ZenCase{"a\r\n", "\x82\x81"}, ZenCase{"\"x\"", "\x81\x68\x82\x98\x81\x68"},
                      ZenCase{"\xCA\xDF", "\x83\x70"}, ZenCase{"A0 ~", ZA + "\x82\x4F" + ZSP + "\x81\x60"},
                      ZenCase{A_, A_}, ZenCase{"\x7F\xA0\xFD", ""}));

class ZenToHanTest : public ::testing::TestWithParam<ZenCase> {};
TEST_P(ZenToHanTest, Converts) { EXPECT_EQ(ZenToHan(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(Cases, ZenToHanTest,
                         ::testing::Values(ZenCase{GA + "\x8a\xbf", "\xB6\xDE"},
                                           ZenCase{"\x81\x67\x82\x98\x81\x68", "\"x\""},
                                           ZenCase{"\x83\x70\x83\x94", "\xCA\xDF"}, ZenCase{"abc", "abc"},
                                           ZenCase{"\x81\x8F", "\\"}, ZenCase{"x\x83", "x"}));

TEST(JStrings, SingleByteAt) {
    std::string s = SO + "\\";
    EXPECT_EQ(SingleByteAt(s, 1), -1);
    EXPECT_EQ(SingleByteAt(s, 2), -1);
    EXPECT_EQ(SingleByteAt(s, 3), '\\');
    EXPECT_EQ(SingleByteAt(s, 4), -1);
    EXPECT_EQ(SingleByteAt(s, 0), -1);
}

}  // namespace
}  // namespace mivo::script
