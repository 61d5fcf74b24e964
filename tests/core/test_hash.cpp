#include <gtest/gtest.h>

#include <cmath>

#include "core/extended.hpp"
#include "core/hash_collection.hpp"
#include "core/sjis.hpp"
#include "core/tprandom.hpp"

using namespace mivo;

TEST(HashName, FoldsOnlySingleByteLetters) {
    EXPECT_EQ(HashName("Image\\BG.vkx"), HashName("image\\bg.VKX"));
    EXPECT_NE(HashName("ab"), HashName("abc"));
    // 0x82 0x41: the trail byte 'A' belongs to a double-byte character.
    EXPECT_NE(HashName("\x82\x41"), HashName("\x82\x61"));
    EXPECT_EQ(HashName("x\x82\x41"), HashName("X\x82\x41"));
}

struct Named : THashItem {
    int value = 0;
};

TEST(HashCollection, FindsWithoutCaseAndNewestHeadsTheChain) {
    THashCollection<Named> col;
    auto a = std::make_unique<Named>();
    a->value = 1;
    col.Add(std::move(a), "Image\\Bg.vkx");
    auto b = std::make_unique<Named>();
    b->value = 2;
    col.Add(std::move(b), "IMAGE\\BG.VKX");  // same name in other case: newest wins
    ASSERT_NE(col.Find("image\\bg.vkx"), nullptr);
    EXPECT_EQ(col.Find("image\\bg.vkx")->value, 2);
    col.Delete(1);
    EXPECT_EQ(col.Find("image\\bg.VKX")->value, 1);
    EXPECT_EQ(col.IndexOf("nothing"), -1);
}

TEST(HashCollection, NewestOfANameWinsAcrossTableGrowth) {
    THashCollection<Named> col;
    for (int i = 0; i < 3000; ++i) {
        auto n = std::make_unique<Named>();
        n->value = i;
        col.Add(std::move(n), i % 2 ? "Same" : "item" + std::to_string(i));
    }
    EXPECT_EQ(col.Find("SAME")->value, 2999);
    EXPECT_EQ(col.Find("item1000")->value, 1000);
    col.Rename(col[1], "same");  // renamed last: now it is the one found
    EXPECT_EQ(col.Find("same")->value, 1);
    col.Delete(1);
    EXPECT_EQ(col.Find("same")->value, 2999);
    EXPECT_EQ(col.IndexOf("item2998"), 2997);
}

TEST(HashCollection, RenumbersAfterDeleteAndRelinksAfterRename) {
    THashCollection<Named> col;
    for (const char* n : {"one", "two", "three"}) col.Add(std::make_unique<Named>(), n);
    col.Delete(0);
    EXPECT_EQ(col.IndexOf("two"), 0);
    EXPECT_EQ(col.IndexOf("three"), 1);
    col.Rename(col[1], "four");
    EXPECT_EQ(col.IndexOf("three"), -1);
    EXPECT_EQ(col.IndexOf("FOUR"), 1);
}

TEST(Sjis, CaseFoldingNeverTouchesTrailBytes) {
    // 0x82 0x61 is a full-width letter whose trail byte is ASCII 'a'.
    EXPECT_EQ(sjis::UpperCase("a\x82\x61" "b"), "A\x82\x61" "B");
    EXPECT_EQ(sjis::LowerCase("A\x83\x41"), "a\x83\x41");
    EXPECT_TRUE(sjis::SameText("ABC\x95\x5C", "abc\x95\x5C"));
    EXPECT_FALSE(sjis::SameText("\x82\x61", "\x82\x41"));
    EXPECT_LT(sjis::CompareText("abc", "ABD"), 0);
}

TEST(TTpRandom, IsFiveXPlusKey) {
    TTpRandom r;
    uint32_t s = 0;
    for (int i = 0; i < 5; ++i) {
        s = s * 5u + TTpRandom::kArchiveKey;
        EXPECT_EQ(r.Next(), s);
    }
}

TEST(Extended, KnownEncodingsAndRoundTrip) {
    struct Case {
        long double v;
        Extended10 bytes;
    } cases[] = {
        {1.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
        {-2.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}},
        {0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {0.1L, {0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeExtended(c.v), c.bytes);
        EXPECT_EQ(DecodeExtended(c.bytes.data()), c.v);
    }
    for (long double v : {3.14159265358979323846L, -1e-4000L, 1e4000L, 123456789.125L}) {
        Extended10 e = EncodeExtended(v);
        EXPECT_EQ(DecodeExtended(e.data()), v);
    }
    Extended10 inf = EncodeExtended(1.0L / 0.0L);
    EXPECT_TRUE(std::isinf(DecodeExtended(inf.data())));
}
