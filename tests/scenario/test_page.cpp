#include <gtest/gtest.h>

#include "core/byte_reader.hpp"
#include "core/error.hpp"
#include "scenario/command.hpp"
#include "scenario/page.hpp"
#include "scenario/page_source.hpp"

using namespace mivo;

namespace {

// Page bytes by hand: header, masks, then the given command records.
struct PageBytes {
    int32_t version = 116;
    int32_t mask_count = 61, mask_size = 21;
    std::string masks;  // mask_count * mask_size bytes, zero unless set
    std::vector<std::string> commands;

    PageBytes() { masks.assign(static_cast<size_t>(mask_count * mask_size), '\0'); }
    void Resize(int32_t count, int32_t size) {
        mask_count = count;
        mask_size = size;
        masks.assign(static_cast<size_t>(count * size), '\0');
    }
    void SetBit(int code, int prop) { masks[static_cast<size_t>(code * mask_size + prop / 8)] |= static_cast<char>(1 << (prop % 8)); }
    std::string Build() const {
        std::string b;
        PutI32(b, version);
        PutU8(b, 1);
        PutI32(b, mask_count);
        PutI32(b, mask_size);
        b += masks;
        PutI32(b, static_cast<int32_t>(commands.size()));
        for (const auto& c : commands) b += c;
        return b;
    }
};

std::string Header(uint8_t code) {
    std::string b;
    PutU8(b, code);
    PutI32(b, 0);  // indent
    PutU8(b, 0);   // disabled
    PutU8(b, 1);   // run on
    PutI32(b, 7);  // line
    return b;
}

const std::string kEmptyExpr(4, '\0');

}  // namespace

TEST(PageLoader, MaskSizeThirtyStaysAligned) {
    PageBytes p;
    p.Resize(61, 30);
    p.SetBit(8, 3);    // BoxNew carries property 3
    p.SetBit(8, 200);  // a bit beyond the 21 bytes a mask keeps
    p.commands.push_back(Header(8) + kEmptyExpr);
    p.commands.push_back(Header(2));  // Else
    std::string bytes = p.Build();
    TPage page;
    page.Load(bytes, "a.zsb");
    ASSERT_EQ(page.CommandCount(), 2);
    EXPECT_TRUE(page.HasProperty(8, 3));
    EXPECT_EQ(page.At(0).fields[0].props.size(), 1u);
    EXPECT_EQ(page.At(1).Code(), cmElse);
    EXPECT_EQ(page.Serialize(), bytes);
}

TEST(PageLoader, MaskCountSeventySkipsTheExtraMasks) {
    PageBytes p;
    p.Resize(70, 21);
    p.SetBit(65, 0);
    p.SetBit(9, 0);
    p.commands.push_back(Header(9) + kEmptyExpr);
    std::string bytes = p.Build();
    TPage page;
    page.Load(bytes, "a.zsb");
    EXPECT_EQ(page.CommandCount(), 1);
    EXPECT_EQ(page.Serialize(), bytes);
}

TEST(PageLoader, HighBitOfTheCodeIsIgnored) {
    PageBytes p;
    std::string call = Header(0x85);
    PutStr(call, "sub.zsb");
    PutI32(call, 3);
    PutStr(call, "r");
    call += kEmptyExpr;
    PutI32(call, 0);
    p.commands.push_back(call);
    std::string bytes = p.Build();
    TPage page;
    page.Load(bytes, "a.zsb");
    EXPECT_EQ(page.At(0).Code(), cmCall);
    EXPECT_EQ(page.At(0).RawCode(), 0x85);
    EXPECT_EQ(page.At(0).StrAt(0), "sub.zsb");
    EXPECT_EQ(page.Serialize(), bytes);
    // The readable form keeps it too.
    TPage rebuilt;
    BuildPageFromSource(DumpPageSource(page), "a.src", "a.zsb", rebuilt);
    EXPECT_EQ(rebuilt.Serialize(), bytes);
}

TEST(PageLoader, WaitRecordDependsOnTheVersion) {
    for (int version : {106, 107}) {
        PageBytes p;
        p.version = version;
        std::string wait = Header(7) + kEmptyExpr + kEmptyExpr + (version > 106 ? kEmptyExpr : "");
        p.commands.push_back(wait);
        p.commands.push_back(Header(2));
        TPage page;
        page.Load(p.Build(), "w.zsb");
        ASSERT_EQ(page.CommandCount(), 2) << version;
        EXPECT_EQ(page.At(0).fields[2].present, version > 106);
        EXPECT_EQ(page.At(1).Code(), cmElse);
    }
}

TEST(PageLoader, VersionLimits) {
    PageBytes p;
    p.version = 117;
    p.commands.push_back("garbage that is never read");
    TPage page;
    page.Load(p.Build(), "new.zsb");
    EXPECT_EQ(page.CommandCount(), 0);
    p.version = 102;
    try {
        page.Load(p.Build(), "old.zsb");
        FAIL();
    } catch (const PageTooOldError& e) {
        EXPECT_EQ(std::string(e.what()), "old.zsb\r\nリビルドしてください");
    }
}

TEST(PageLoader, RejectsBadRecords) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"unknown code", [] { PageBytes p; p.commands.push_back(Header(61)); return p.Build(); }()},
        {"truncated header", [] { PageBytes p; p.commands.push_back(Header(2).substr(0, 5)); return p.Build(); }()},
        {"huge command count", [] { PageBytes p; std::string b = p.Build(); b.replace(b.size() - 4, 4, "\xFF\xFF\xFF\x0F"); return b; }()},
        {"huge mask size", [] { PageBytes p; std::string b = p.Build(); b.replace(9, 4, "\xFF\xFF\xFF\x7F"); return b; }()},
        {"huge list", [] { PageBytes p; std::string c = Header(5); PutStr(c, "x"); PutI32(c, 0); PutStr(c, ""); c += kEmptyExpr; PutI32(c, 0x7FFFFFFF); p.commands.push_back(c); return p.Build(); }()},
        {"huge string", [] { PageBytes p; std::string c = Header(3); PutI32(c, 0x7FFFFFF0); p.commands.push_back(c); return p.Build(); }()},
        {"empty file", std::string()},
    };
    for (const auto& c : cases) {
        TPage page;
        try {
            page.Load(c.bytes, "bad.zsb");
            ADD_FAILURE() << c.what;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find("bad.zsb"), std::string::npos) << c.what;
        }
        EXPECT_EQ(page.CommandCount(), 0);
    }
    TPage page;
    try {
        PageBytes p;
        p.commands.push_back(Header(61));
        page.Load(p.Build(), "bad.zsb");
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("不正なコマンド"), std::string::npos);
    }
}

TEST(PageSource, DumpBuildRoundTripOfEveryCommand) {
    std::string src =
        "page version=116 result=str\n"
        "mask BoxNew NAME LEFT\n"
        "If cond=\"a > 1\"\n"
        "  Calc expr=\"a = a - 1\" runon\n"
        "Elseif cond=TRUE\n"
        "Else disabled\n"
        "Label name=\"top\"\n"
        "Jump page=\"p.zsb\" label=\"top\" cond=FALSE\n"
        "Call page=\"q.zsb\" target=4 result=\"r\" cond=TRUE args=[\"1\", \"x ++ \\\"y\\\"\"]\n"
        "Exit cond=FALSE\n"
        "Wait cond=FALSE time=10 block=TRUE\n"
        "BoxNew NAME=\"\\\"b\\\"\" LEFT=3\n"
        "ImgNew\n"
        "Flip wipe=1 time=500 keep=[\"\\\"a\\\"\"] source=\"\\\"m.vkx\\\"\"\n"
        "VarNew name=v type=float value=\"1.5\" scope=local\n"
        "VarDel name=v\n"
        "GetProp component=\"\\\"b\\\"\" property=3 var=w\n"
        "SetProp component=\"\\\"b\\\"\" property=3 value=4\n"
        "ObjDel component=\"\\\"b\\\"\"\n"
        "TextIns text=hex:0A0B box=\"\\\"m\\\"\" wait=TRUE\n"
        "MovieStop component=\"\\\"s\\\"\" fade=100\n"
        "ClrHist\nMenuClose menu=\"\\\"m\\\"\"\nComment text=\"note\"\nTextClr box=\"\\\"m\\\"\"\n"
        "CallHist box=\"\\\"m\\\"\" first=0 count=3 flag=TRUE format=\"\\\"\\\"\"\n"
        "WhileInit expr=\"i = 0\"\n"
        "While cond=\"i < 3\"\n"
        "  Break cond=\"i == 2\"\n"
        "  Continue cond=FALSE\n"
        "WhileLoop expr=\"i = i + 1\"\n"
        "GameSave slot=1 page=\"r.zsb\" index=2 title=\"\\\"t\\\"\"\nGameLoad slot=1\n"
        "PCReset page=\"p.zsb\" target=0 allframes=1\nReset page=\"p.zsb\" target=1\n"
        "Terminate\nDoEvent\nClrRead\nMediaPlay component=\"\\\"s\\\"\"\n"
        "PropMotion name=\"\\\"pm\\\"\" component=\"\\\"b\\\"\" property=3 value=1.25 time=100 kind=0 loop=TRUE\n"
        "FormatHist component=\"\\\"m\\\"\" format=\"\\\"f\\\"\"\n"
        "SaveCabinet invert=TRUE names=[\"\\\"a\\\"\"]\nLoadCabinet\n";
    TPage a;
    BuildPageFromSource(src, "all.src", "p.zsb", a);
    EXPECT_EQ(a.At(5).IntAt(1), 4);     // the label, found by name
    ASSERT_EQ(a.At(25).Code(), cmWhile);
    EXPECT_EQ(a.At(25).IntAt(1), 29);   // While exits after its WhileLoop
    EXPECT_EQ(a.At(26).IntAt(1), 29);   // Break too
    EXPECT_EQ(a.At(27).IntAt(1), 28);   // Continue goes to the WhileLoop
    EXPECT_EQ(a.At(28).IntAt(1), 25);   // the WhileLoop back to its While
    std::string bytes = a.Serialize();
    TPage loaded;
    loaded.Load(bytes, "p.zsb");
    TPage again;
    BuildPageFromSource(DumpPageSource(loaded), "dump.src", "p.zsb", again);
    EXPECT_EQ(again.Serialize(), bytes);
}

// Depths no editor writes (negative, or two thousand million levels in a
// damaged page) are spelled out rather than written as spaces, and build
// back to the same bytes.
TEST(PageSource, OddIndentsAreSpelledOut) {
    for (int32_t indent : {-3, 201, 2000000000}) {
        TPage a;
        BuildPageFromSource("page version=116\nComment text=\"x\" indent=" + std::to_string(indent) + "\n", "odd.src",
                            "p.zsb", a);
        ASSERT_EQ(a.At(0).Indent, indent);
        const std::string text = DumpPageSource(a);
        EXPECT_LT(text.size(), 200u) << indent;
        EXPECT_NE(text.find("indent=" + std::to_string(indent)), std::string::npos);
        TPage again;
        BuildPageFromSource(text, "dump.src", "p.zsb", again);
        EXPECT_EQ(again.Serialize(), a.Serialize());
    }
}

TEST(PageSource, ErrorsNameTheLine) {
    struct Case {
        const char* src;
        const char* where;
    } cases[] = {
        {"Calc expr=\"a = (\"\n", "x.src:1"},
        {"Label name=x\nNoSuch\n", "x.src:2"},
        {"Label name=x\n   Calc\n", "x.src:2"},
        {"Calc bogus=1\n", "x.src:1"},
        {"Jump page=\"x.zsb\" label=\"nowhere\"\n", "x.src:1"},
        {"Break cond=TRUE\n", "x.src"},
    };
    for (const auto& c : cases) {
        TPage p;
        try {
            BuildPageFromSource(c.src, "x.src", "x.zsb", p);
            ADD_FAILURE() << c.src;
        } catch (const FormatError& e) {
            EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what();
        }
    }
}
