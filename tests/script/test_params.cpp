#include <gtest/gtest.h>

#include "core/error.hpp"
#include "data/streams.hpp"
#include "script/params.hpp"

namespace mivo::script {
namespace {

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

TEST(Params, SetDimsKeepsLinearPositions) {
    TParamInt p;
    p.SetInt(7);
    p.SetDims({2, 3});
    ASSERT_EQ(p.GetCount(), 6);
    EXPECT_EQ(p.GetIntAt(0), 7);
    for (int i = 1; i < 6; ++i) EXPECT_EQ(p.GetIntAt(i), 0);
    EXPECT_EQ(p.GetDimCount(), 2);
    EXPECT_EQ(p.GetDim(0), 2);
    EXPECT_EQ(p.GetDim(1), 3);
    EXPECT_EQ(p.GetDim(5), 1);
    p.SetIntAt(5, 9);
    p.SetDims({3, 3});
    EXPECT_EQ(p.GetIntAt(5), 9);
    EXPECT_EQ(p.GetIntAt(8), 0);
    p.SetInt(5);
    EXPECT_EQ(p.GetCount(), 1);
    EXPECT_EQ(p.GetDimCount(), 1);
    EXPECT_EQ(p.GetDim(0), 1);
    EXPECT_EQ(p.AsInt(), 5);
}

TEST(Params, BadSizesAndIndexes) {
    TParamStr p;
    p.SetDims({2});
    EXPECT_EQ(ErrorOf([&] { p.SetDims({3, 0}); }), "配列の要素数[3,0]が不正です");
    EXPECT_EQ(p.GetCount(), 2);
    EXPECT_EQ(ErrorOf([&] { p.SetDims({-1}); }), "配列の要素数[-1]が不正です");
    EXPECT_EQ(ErrorOf([&] { p.SetDims({100000, 100000}); }), "配列の要素数[100000,100000]が不正です");
    EXPECT_EQ(ErrorOf([&] { p.GetStrAt(2); }), "[2]:配列の添字が不正です");
    EXPECT_EQ(ErrorOf([&] { p.SetStrAt(-1, "x"); }), "[-1]:配列の添字が不正です");
}

TEST(Params, CopyFromNeedsTheSameKind) {
    TParamInt a, b;
    b.SetDims({4});
    b.SetIntAt(3, 8);
    a.CopyFrom(b);
    EXPECT_EQ(a.GetCount(), 4);
    EXPECT_EQ(a.GetIntAt(3), 8);
    TParamStr s;
    EXPECT_EQ(ErrorOf([&] { s.CopyFrom(b); }), "CopyMem:変数の型があいません");
}

TEST(Params, UniqueRemoveValueFindStr) {
    TParamStr s;
    s.SetDims({5});
    const char* v[] = {"b", "a", "b", "A", "a"};
    for (int i = 0; i < 5; ++i) s.SetStrAt(i, v[i]);
    EXPECT_EQ(s.FindStr("A", true, false), 3);
    EXPECT_EQ(s.FindStr("A", false, false), 1);
    EXPECT_EQ(s.FindStr("z", false, false), -1);
    s.Unique();
    ASSERT_EQ(s.GetCount(), 3);
    EXPECT_EQ(s.GetStrAt(2), "A");
    EXPECT_EQ(s.GetDim(0), 3);
    TParamStr key;
    key.SetStr("b");
    s.RemoveValue(&key);
    EXPECT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.GetDim(0), 2);

    TParamInt n;
    n.SetDims({4});
    n.SetIntAt(1, 3);
    n.SetIntAt(3, 4);
    n.RemoveValue(nullptr);
    ASSERT_EQ(n.GetCount(), 2);
    EXPECT_EQ(n.GetIntAt(0), 3);
    EXPECT_EQ(n.GetIntAt(1), 4);
    // Emptied entirely: dims say so, reads stay in bounds.
    n.FillInt(0);
    n.RemoveValue(nullptr);
    EXPECT_EQ(n.GetCount(), 0);
    EXPECT_EQ(n.GetDim(0), 0);
    EXPECT_EQ(n.AsInt(), 0);
    EXPECT_EQ(n.AsStr(), "0");
    EXPECT_EQ(ErrorOf([&] { n.GetIntAt(0); }), "[0]:配列の添字が不正です");
    n.SetInt(6);
    EXPECT_EQ(n.GetCount(), 1);
    EXPECT_EQ(n.AsInt(), 6);
}

TEST(Params, FindStrPartialIsDoubleByteAware) {
    TParamStr s;
    s.SetDims({2});
    s.SetStrAt(0, "\x83\x41\x83\x43");  // アイ: 0x41 and 0x43 are second bytes
    s.SetStrAt(1, "xACy");
    EXPECT_EQ(s.FindStr("A", true, true), 1);
    EXPECT_EQ(s.FindStr("\x41\x83", true, true), -1);
    EXPECT_EQ(s.FindStr("ac", false, true), 1);
}

struct RecordCase {
    const char* name;
    std::string bytes;
};

TEST(Params, ValueRecordsRoundTripByteExact) {
    TParamFloat f;
    f.SetDims({2});
    f.SetFloatAt(1, 1.5L);
    TMemoryStream out;
    f.SaveToStream(out);
    std::string expect("\x01\x00\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00", 12);
    expect += std::string(10, '\0');
    expect += std::string("\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 10);
    EXPECT_EQ(out.Bytes(), expect);
    TParamFloat g;
    out.SetPosition(0);
    g.LoadFromStream(out, nullptr);
    EXPECT_EQ(g.GetCount(), 2);
    EXPECT_EQ(g.GetFloatAt(1), 1.5L);

    TParamStr s;
    s.SetStr("ab");
    TMemoryStream so;
    s.SaveToStream(so);
    EXPECT_EQ(so.Bytes(), std::string("\x00\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00" "ab", 14));
}

class BadRecordTest : public ::testing::TestWithParam<RecordCase> {};
TEST_P(BadRecordTest, IsRefused) {
    TParamInt p;
    p.SetInt(3);
    TMemoryStream s(GetParam().bytes);
    EXPECT_THROW(p.LoadFromStream(s, nullptr), Error) << GetParam().name;
    EXPECT_EQ(p.AsInt(), 3);
}
std::string I32(int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
INSTANTIATE_TEST_SUITE_P(
    Records, BadRecordTest,
    ::testing::Values(RecordCase{"huge dim count", I32(0x7FFFFFFF)}, RecordCase{"negative dim count", I32(-1)},
                      RecordCase{"huge count", I32(0) + I32(0x10000000)},
                      RecordCase{"count beyond data", I32(0) + I32(3) + I32(1)},
                      RecordCase{"count not matching dims", I32(1) + I32(2) + I32(3) + I32(1) + I32(2) + I32(3)},
                      RecordCase{"zero dimension", I32(2) + I32(0) + I32(5) + I32(1) + I32(0)},
                      RecordCase{"scalar with two", I32(0) + I32(2) + I32(1) + I32(2)},
                      RecordCase{"short", I32(0)}));

TEST(Params, FactoryAndConvertedCopy) {
    EXPECT_EQ(MakeParam(PT_STR)->GetKind(), PT_STR);
    EXPECT_EQ(MakeParam(0x84)->GetKind(), PT_STR);
    EXPECT_EQ(MakeParam(5), nullptr);
    TParamFloat src;
    src.SetFloat(2.5L);
    TParamStr dst;
    AssignConverted(dst, src);
    EXPECT_EQ(dst.Dims(), std::vector<int32_t>{1});
    EXPECT_EQ(dst.GetStrAt(0), "2.5");
}

}  // namespace
}  // namespace mivo::script
