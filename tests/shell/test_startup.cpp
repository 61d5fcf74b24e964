#include <gtest/gtest.h>

#include "../data/archive_fixture.hpp"
#include "../data/test_helpers.hpp"
#include "platform/instance_lock.hpp"
#include "shell/archive_discovery.hpp"
#include "shell/command_line.hpp"
#include "shell/game_settings.hpp"
#include "shell/ini_file.hpp"

using namespace mivo;

TEST(IniFile, SectionsAndKeysIgnoreCaseAndBooleansAreIntegers) {
    TIniFile ini("[sound]\r\ndirectsound=0\r\nDelayTime = 250 \r\n[Video]\r\nUseWMP=2\r\n[Font]\r\nDefaultOnly=yes\r\n");
    EXPECT_FALSE(ini.ReadBool("Sound", "DirectSound", true));
    EXPECT_EQ(ini.ReadInteger("SOUND", "delaytime", 0), 250);
    EXPECT_TRUE(ini.ReadBool("video", "usewmp", false));
    EXPECT_TRUE(ini.ReadBool("Font", "DefaultOnly", true));  // not a number: the default
    EXPECT_FALSE(ini.ReadBool("Font", "DefaultOnly", false));
    EXPECT_EQ(ini.ReadInteger("Missing", "Key", 7), 7);
    EXPECT_EQ(TIniFile("[a]\nx=$1F\ny=0x10\nz=-3\n").ReadInteger("a", "x", 0), 31);
    EXPECT_EQ(TIniFile("[a]\nx=$1F\ny=0x10\nz=-3\n").ReadInteger("a", "y", 0), 16);
    EXPECT_EQ(TIniFile("[a]\nx=$1F\ny=0x10\nz=-3\n").ReadInteger("a", "z", 0), -3);
}

TEST(IniFile, WritingKeepsEveryOtherLine) {
    std::string text = "; comment kept\r\n[Other]\r\nName=\x83\x5C\x83\x74\x83\x67\r\n\r\n[SOUND]\r\nDirectSound=1\r\n";
    TIniFile ini(text);
    ini.WriteBool("Sound", "directsound", false);
    ini.WriteInteger("sound", "DelayTime", 300);
    ini.WriteBool("Video", "UseWMP", true);
    EXPECT_EQ(ini.Text(),
              "; comment kept\r\n[Other]\r\nName=\x83\x5C\x83\x74\x83\x67\r\n\r\n[SOUND]\r\nDirectSound=0\r\n"
              "DelayTime=300\r\n\r\n[Video]\r\nUseWMP=1\r\n");
    ScratchDir dir;
    ini.Save(dir / "game.ini");
    EXPECT_EQ(ReadFile(dir / "game.ini"), ini.Text());
    EXPECT_EQ(TIniFile::Load(dir / "game.ini").ReadInteger("Sound", "DelayTime", 0), 300);
    EXPECT_EQ(TIniFile::Load(dir / "missing.ini").Text(), "");
}

TEST(GameSettings, DefaultsAndDelayRule) {
    GameSettings d = GameSettings::From(TIniFile());
    EXPECT_TRUE(d.direct_sound);
    EXPECT_EQ(d.delay_time, 500);
    EXPECT_FALSE(d.use_wmp);
    EXPECT_FALSE(d.default_fonts_only);
    struct Case {
        int in, out;
    } cases[] = {{50, 100}, {250, 200}, {9999, 500}, {100, 100}, {499, 400}, {-20, 100}, {0, 100}};
    for (const auto& c : cases) EXPECT_EQ(GameSettings::ClampDelay(c.in), c.out) << c.in;
}

TEST(InstanceLock, OnePlayerPerDataFolder) {
    ScratchDir a, b;
    InstanceLock first(a.path.string());
    ASSERT_TRUE(first.Held());
    InstanceLock second(a.path.string() + "/.");  // the same folder by another spelling
    EXPECT_FALSE(second.Held());
    InstanceLock other(b.path.string());
    EXPECT_TRUE(other.Held());
    {
        InstanceLock gone(b.path.string() + "/sub/..");
        EXPECT_FALSE(gone.Held());
    }
}

TEST(ArchiveDiscovery, FoldersFilesAndTrailers) {
    ScratchDir dir;
    dir.Write("disc1/game.dat", fixture::BuildArchive({{"start.zsb", "one"}}, 102));
    dir.Write("disc2/game.dat", fixture::BuildArchive({{"more.zsb", "two"}}, 102));
    std::string exe = "MZ-program";
    std::string arc = fixture::BuildArchive({{"inside.zsb", "three"}}, 102, static_cast<int64_t>(exe.size()));
    std::string file = exe + arc;
    PutI32(file, static_cast<int32_t>(exe.size()));
    file += "zv";
    dir.Write("prog/game.exe", file);
    dir.Write("prog/plain.exe", "MZ no archive here");

    TVrFileManager m;
    auto r = DiscoverArchives(m, {dir / "disc1", dir / "disc2", dir / "prog/game.exe", dir / "prog/plain.exe"}, "/nowhere");
    EXPECT_EQ(r.data_dir, dir / "disc1");
    EXPECT_EQ(r.archives.size(), 3u);
    EXPECT_EQ(m.ReadAll("start.zsb"), "one");
    EXPECT_EQ(m.ReadAll("more.zsb"), "two");
    EXPECT_EQ(m.ReadAll("inside.zsb"), "three");

    // A program file given first: its folder holds the loose files.
    TVrFileManager m2;
    dir.Write("prog/loose.txt", "loose");
    auto r2 = DiscoverArchives(m2, {dir / "prog/game.exe"}, "/nowhere");
    EXPECT_EQ(r2.data_dir, dir / "prog");
    EXPECT_EQ(m2.ReadAll("loose.txt"), "loose");

    // No arguments: the default folder and its game.dat.
    TVrFileManager m3;
    auto r3 = DiscoverArchives(m3, {}, dir / "disc2");
    EXPECT_EQ(r3.archives.size(), 1u);
    EXPECT_EQ(m3.ReadAll("more.zsb"), "two");
}

TEST(CommandLine, OptionsAndData) {
    auto o = ParsePlayerOptions({"--headless", "--frames", "10", "--trace", "--print-vars", "--savedir", "/s", "game", "more"});
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.frames, 10);
    EXPECT_TRUE(o.trace);
    EXPECT_TRUE(o.print_vars);
    EXPECT_EQ(o.savedir, "/s");
    EXPECT_EQ(o.data, (std::vector<std::string>{"game", "more"}));
    for (const char* c : {"/config", "/CONFIG", "/Config"}) EXPECT_TRUE(ParsePlayerOptions({c, "x"}).config) << c;
    EXPECT_FALSE(ParsePlayerOptions({"x", "/config"}).config);
    EXPECT_THROW(ParsePlayerOptions({"--frames"}), std::invalid_argument);
    EXPECT_THROW(ParsePlayerOptions({"--frames", "-3"}), std::invalid_argument);
    EXPECT_THROW(ParsePlayerOptions({"--bogus"}), std::invalid_argument);
}

TEST(CommandLine, SaveFolderFollowsXdg) {
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(DefaultSaveFolder("デモ/2"), "/data/mivoplayer/デモ_2");
    setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(DefaultSaveFolder(".."), "/home/u/.local/share/mivoplayer/_");
}
