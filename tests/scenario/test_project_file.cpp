#include <gtest/gtest.h>

#include <cstdio>

#include "core/byte_reader.hpp"
#include "core/error.hpp"
#include "scenario/project_file.hpp"
#include "scenario/project_source.hpp"
#include "scenario/source_text.hpp"

using namespace mivo;

namespace {
TProjectSetting Sample(int version) {
    TProjectSetting p;
    p.version = version;
    p.name = "\x83\x66\x83\x82";  // デモ
    p.screen_width = 640;
    p.screen_height = 480;
    p.start_page = "start.zsb";
    p.exit_page = "exit.zsb";
    p.image_key = -12345;
    p.save_status = 1;
    p.frame_pacing = 1;
    p.media_extensions = ".wav.ogg";
    p.pause_inactive = 1;
    p.toolbar = 0;
    p.disk_prompt = "\x83\x66\x83\x42\x83\x58\x83\x4E%d";
    p.exit_notice = "bye";
    auto var = [](uint8_t kind, const char* name) {
        TParamData d;
        d.kind = kind;
        d.name = name;
        return d;
    };
    p.variables = {var(1, "Score"), var(2, "Rate"), var(3, "Seen"), var(4, "Name"), var(9, "Odd")};
    p.variables[0].int_value = -7;
    p.variables[1].float_value = 0.1L;
    p.variables[2].bool_value = true;
    p.variables[3].str_value = "a\"b\\c\x81\x5C";
    p.folder_disks.items = {{"image", 1}, {"movie\\op", 2}};
    return p;
}
}  // namespace

TEST(ProjectFile, RoundTripsEveryVersionGate) {
    for (int v : {100, 103, 104, 105, 106, 109, 110, 113, 114, 116}) {
        TProjectSetting p = Sample(v);
        std::string bytes = p.Serialize();
        TProjectSetting q = TProjectSetting::Parse(bytes, "mivo.zpb");
        EXPECT_EQ(q.Serialize(), bytes) << v;
        EXPECT_EQ(q.variables.size(), 5u);
        EXPECT_EQ(q.variables[1].float_value, 0.1L);
    }
}

TEST(ProjectFile, AbsentFieldsTakeTheirDefaults) {
    TProjectSetting q = TProjectSetting::Parse(Sample(105).Serialize(), "mivo.zpb");
    EXPECT_EQ(q.frame_pacing, 0);
    EXPECT_EQ(q.media_extensions, ".wav.wma.ogg.mid");
    EXPECT_EQ(q.toolbar, 1);
    EXPECT_EQ(q.save_status, 1);
    EXPECT_EQ(q.exit_page, "");
}

TEST(ProjectFile, RejectsNewerVersionsAndCorruptCounts) {
    std::string v117 = Sample(116).Serialize();
    v117[0] = 117;
    try {
        TProjectSetting::Parse(v117, "mivo.zpb");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "このバージョンには対応していません");
    }
    std::string bytes = Sample(116).Serialize();
    for (size_t cut : {size_t{0}, size_t{3}, size_t{20}, bytes.size() - 1})
        EXPECT_THROW(TProjectSetting::Parse(bytes.substr(0, cut), "mivo.zpb"), FormatError) << cut;
    TProjectSetting empty;
    empty.variables.clear();
    std::string e = empty.Serialize();
    // The variable count claims a billion records.
    std::string huge = e.substr(0, e.size() - 8);
    PutI32(huge, 1000000000);
    PutI32(huge, 0);
    EXPECT_THROW(TProjectSetting::Parse(huge, "mivo.zpb"), FormatError);
}

TEST(FolderDiskList, DiskOfWalksUpTheFolders) {
    TFolderDiskList l;
    EXPECT_EQ(l.DiskOf("image\\bg\\sky.vkx"), 0);
    l.items = {{"image", 2}, {"SOUND\\voice\\", 3}};
    struct Case {
        const char* name;
        int disk;
    } cases[] = {
        {"IMAGE\\BG\\SKY.VKX", 2}, {"image\\sky.vkx", 2},  {"sound\\voice\\a.wav", 3},
        {"sound\\bgm.ogg", 0},     {"imagex\\a.vkx", 0},   {"start.zsb", 0},
        {"image", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(l.DiskOf(c.name), c.disk) << c.name;
}

TEST(ProjectSource, DumpThenBuildGivesTheSameBytes) {
    for (int v : {104, 110, 116}) {
        std::string bytes = Sample(v).Serialize();
        std::string text = DumpProjectSource(TProjectSetting::Parse(bytes, "mivo.zpb"));
        EXPECT_EQ(ParseProjectSource(text, "project.txt").Serialize(), bytes) << text;
    }
    // Strings that are not valid CP932 survive as escapes.
    EXPECT_EQ(UnquoteGameString(QuoteGameString("\x81\xFF\x82"), "x"), "\x81\xFF\x82");
    EXPECT_EQ(QuoteGameString("\x83\x66\x83\x82\n"), "\"デモ\\n\"");
}

TEST(ProjectSource, ErrorsNameTheLine) {
    try {
        ParseProjectSource("version 116\nscreen 640\n", "demo.txt");
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("demo.txt:2"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ParseProjectSource("name \"unterminated\n", "x"), FormatError);
    EXPECT_THROW(ParseProjectSource("colour 3\n", "x"), FormatError);
    EXPECT_THROW(ParseProjectSource("version 117\n", "x"), FormatError);
}

TEST(InstallSet, ReadsTheThreeFieldsOfEveryVersion) {
    for (int v : {0, 99, 100, 103, 105}) {
        std::string b;
        char head[8];
        std::snprintf(head, sizeof head, "is%03d", v);
        if (v) b = head;
        PutI32(b, 2);                  // disk
        PutStr(b, "Game");             // project name
        for (int i = 0; i < 3; ++i) PutStr(b, "s");
        PutU8(b, 0);
        PutStr(b, "s");
        PutU8(b, 0);
        PutI32(b, 2);                  // n
        PutStr(b, "s");
        PutI32(b, 0);
        PutU8(b, 0);
        PutU8(b, 0);
        PutStr(b, "a");
        PutStr(b, "b");
        b += std::string((2 * 4 + 4) * (v > 99 ? 8 : 4), '\0');
        PutU8(b, 0);
        if (v > 100) PutU8(b, 0);
        if (v > 101) PutI32(b, 1), PutStr(b, "x");
        if (v > 102) PutU8(b, 1);
        TMivoInstallSet s = TMivoInstallSet::Parse(b, "install.dat");
        EXPECT_EQ(s.disk, 2);
        EXPECT_EQ(s.project_name, "Game");
        EXPECT_EQ(s.installed_whole, v > 102);
        EXPECT_THROW(TMivoInstallSet::Parse(b.substr(0, 20), "install.dat"), FormatError);
    }
}
