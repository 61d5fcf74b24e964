#include <gtest/gtest.h>

#include <filesystem>

#include "archive_fixture.hpp"
#include "core/error.hpp"
#include "data/loosefiles.hpp"
#include "data/peresource.hpp"
#include "data/vrfiles.hpp"
#include "data/zlibs.hpp"
#include "test_helpers.hpp"

using namespace mivo;
using fixture::BuildArchive;
using fixture::Entry;

namespace {

std::string Read(TVrFileManager& m, const std::string& name) { return m.ReadAll(name); }

const std::vector<Entry> kEntries = {
    {"start.zsb", "page one", false},
    {"image\\bg\\sky.vkx", std::string(5000, 'S'), false},
    {"sound\\\x83\x5C\x83\x93\x83\x4F.wav", "RIFF....WAVE", true},  // ソング: trail bytes 0x5C
    {"empty.txt", "", true},
};

}  // namespace

TEST(Archive, ReadsEveryDirectoryVersion) {
    for (int version : {0, 50, 99, 100, 101, 102}) {
        ScratchDir dir;
        std::string path = dir.Write("game.dat", BuildArchive(kEntries, version));
        TVrFileCollection a;
        a.Open(path);
        ASSERT_EQ(a.Count(), 4) << version;
        EXPECT_EQ(a.Version(), version);
        for (size_t i = 0; i < kEntries.size(); ++i) {
            const TVrFile& e = a[static_cast<int>(i)];
            EXPECT_EQ(e.Name(), kEntries[i].name) << version;
            EXPECT_EQ(a.ReadEntry(e), kEntries[i].contents) << version << " " << e.Name();
            // Only versions with flags can store an entry as is.
            EXPECT_EQ(e.stored, version > 100 && kEntries[i].stored ? 1 : 0);
        }
        if (version > 100) {
            EXPECT_EQ(a[1].timestamp, 0x5A210001);
        }
    }
}

TEST(Archive, NamesAreFoundWithoutRegardToCase) {
    ScratchDir dir;
    TVrFileCollection a;
    a.Open(dir.Write("game.dat", BuildArchive(kEntries, 102)));
    EXPECT_EQ(a.IndexOf("IMAGE\\BG\\SKY.VKX"), 1);
    EXPECT_EQ(a.IndexOf("Start.Zsb"), 0);
    EXPECT_EQ(a.IndexOf("SOUND\\\x83\x5C\x83\x93\x83\x4F.WAV"), 2);
    // A trail byte that looks like a letter is not folded.
    EXPECT_EQ(a.IndexOf("sound\\\x83\x5C\x83\x93\x83\x6F.wav"), -1);
}

TEST(Archive, EmptyEntryGivesAnEmptyStreamAndWindow) {
    ScratchDir dir;
    TVrFileCollection a;
    a.Open(dir.Write("game.dat", BuildArchive(kEntries, 102)));
    TMemoryStream m("junk");
    a.Extract("empty.txt", m);
    EXPECT_EQ(m.Size(), 0);
    auto w = a.OpenRange("empty.txt");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Size(), 0);
    char c;
    EXPECT_EQ(w->Read(&c, 1), 0);
    // A stored entry's window carries its bytes.
    auto s = a.OpenRange("sound\\\x83\x5C\x83\x93\x83\x4F.wav");
    std::string buf(12, '\0');
    EXPECT_EQ(s->Read(buf.data(), 100), 12);
    EXPECT_EQ(buf, "RIFF....WAVE");
    EXPECT_EQ(a.OpenRange("missing"), nullptr);
}

TEST(Archive, TrailerFormAndSideFile) {
    ScratchDir dir;
    // A program with an archive appended: offset of the archive, then "zv".
    std::string exe = "MZ-program-bytes";
    std::string arc = BuildArchive(kEntries, 102, static_cast<int64_t>(exe.size()));
    std::string file = exe + arc;
    PutI32(file, static_cast<int32_t>(exe.size()));
    file += "zv";
    for (const char* name : {"game.exe", "game.bin"}) {
        TVrFileCollection a;
        a.Open(dir.Write(name, file));
        ASSERT_EQ(a.Count(), 4) << name;
        EXPECT_EQ(a.ReadEntry(a[0]), "page one");
        EXPECT_EQ(a.ReadEntry(a[1]), kEntries[1].contents);
    }
    // The directory in "data.ext", the entries in "data.dat" at the same offsets.
    std::string whole = BuildArchive(kEntries, 101);
    dir.Write("data.ext", whole);
    dir.Write("data.dat", whole);
    TVrFileCollection b;
    b.Open(dir / "data.dat");
    EXPECT_EQ(b.Count(), 4);
    EXPECT_EQ(b.ReadEntry(b[1]), kEntries[1].contents);
}

TEST(Archive, RejectsCorruptDirectories) {
    std::string good = BuildArchive(kEntries, 102);
    auto with_i32 = [&](size_t at, int32_t v) {
        std::string s = good;
        for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
        return s;
    };
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"truncated", good.substr(0, 40)},
        {"count larger than the file", with_i32(6, 1000000)},
        {"negative count", with_i32(6, -1)},
        {"negative name length", with_i32(10, -7)},
        {"huge name length", with_i32(10, 0x7FFFFFF0)},
        {"unknown version", with_i32(2, 103)},
        {"negative version", with_i32(2, -1)},
        {"data cut short", good.substr(0, good.size() - 20)},
        {"signature only", "vf"},
        {"one byte", "v"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        TVrFileCollection a;
        EXPECT_THROW(a.Open(dir.Write("bad.dat", c.bytes)), FormatError) << c.what;
    }
    // Offsets out of order (version 0 keeps them plain).
    std::string v0 = BuildArchive({{"a", "x"}, {"b", "y"}}, 0);
    size_t table = 4 + 5 + 5;
    std::string swapped = v0;
    std::swap_ranges(swapped.begin() + static_cast<long>(table), swapped.begin() + static_cast<long>(table) + 4,
                     swapped.begin() + static_cast<long>(table) + 4);
    ScratchDir dir;
    TVrFileCollection a;
    EXPECT_THROW(a.Open(dir.Write("bad.dat", swapped)), FormatError);
    // The message names the file.
    try {
        a.Open(dir.Write("named.dat", good.substr(0, 30)));
        FAIL();
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("named.dat"), std::string::npos);
    }
}

TEST(Archive, CorruptEntryDataIsAnErrorNotACrash) {
    std::vector<Entry> one = {{"x.txt", std::string(1000, 'x')}};
    std::string arc = BuildArchive(one, 102);
    arc[arc.size() - 5] ^= 0x55;  // inside the deflate stream
    ScratchDir dir;
    TVrFileCollection a;
    a.Open(dir.Write("game.dat", arc));
    EXPECT_THROW(a.ReadEntry(a[0]), FormatError);
}

TEST(Archive, SaveToRoundTrip) {
    TVrFileCollection a;
    a.AddInMemory("small.txt").data->Bytes() = "small contents small contents";
    TVrFile& big = a.AddInMemory("save\\big.bin");
    big.data->Bytes() = std::string(TVrFileCollection::kStoreAbove + 1, 'b');
    TVrFile& raw = a.AddInMemory("raw.txt");
    raw.data->Bytes() = "checksum of the plain bytes";
    raw.raw_checksum = 1;
    raw.timestamp = 0x5A21ABCD;
    a.AddInMemory("empty");

    TTpBigMemoryStream out;
    ASSERT_TRUE(a.SaveTo(out));
    ScratchDir dir;
    out.SaveToFile(dir / "save.dat");

    TVrFileCollection b;
    b.Open(dir / "save.dat");
    ASSERT_EQ(b.Count(), 4);
    EXPECT_EQ(b.Version(), 102);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(b[i].Name(), a[i].Name());
        EXPECT_EQ(b[i].stored, a[i].stored);
        EXPECT_EQ(b[i].timestamp, a[i].timestamp);
        EXPECT_EQ(b[i].checksum, a[i].checksum);
        EXPECT_EQ(b[i].raw_checksum, a[i].raw_checksum);
        EXPECT_EQ(b.ReadEntry(b[i]), a[i].data->Bytes());
    }
    EXPECT_EQ(b[0].stored, 0);
    EXPECT_EQ(b[1].stored, 1);  // above the limit: stored as is
    EXPECT_EQ(b[2].checksum, Crc32("checksum of the plain bytes"));
    EXPECT_EQ(b[0].checksum, Crc32(DeflateBytes(a[0].data->Bytes(), 2)));

    // Written again from its own source, every entry survives.
    TTpBigMemoryStream again;
    b.SaveTo(again);
    again.SaveToFile(dir / "again.dat");
    TVrFileCollection c;
    c.Open(dir / "again.dat");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.ReadEntry(c[i]), a[i].data->Bytes());
}

TEST(Archive, WriterRulesForFolderFiles) {
    ScratchDir dir;
    std::string text(10000, 't');
    std::string noise;
    uint32_t x = 1;
    for (int i = 0; i < 10000; ++i) noise.push_back(static_cast<char>((x = x * 1103515245u + 12345u) >> 24));
    dir.Write("src/a.txt", text);
    dir.Write("src/noise.bin", noise);
    dir.Write("src/music.ogg", text);
    dir.Write("src/voice.WAV", text);
    dir.Write("src/large.txt", std::string(TVrFileCollection::kDeflateBelow, 'l'));
    dir.Write("src/large.vkx", "Vusk106" + std::string(TVrFileCollection::kDeflateBelow, 'v'));
    TVrFileCollection a;
    a.Open(dir / "src");
    for (const char* n : {"a.txt", "noise.bin", "music.ogg", "voice.wav", "large.txt", "large.vkx"}) a.AddEntry(n);
    TTpBigFileStream out(dir / "out.dat", fmCreate);
    a.SaveTo(out);
    EXPECT_EQ(a[0].stored, 0);  // text deflates
    EXPECT_EQ(a[1].stored, 1);  // saves less than a tenth
    EXPECT_EQ(a[2].stored, 1);  // media
    EXPECT_EQ(a[3].stored, 1);  // media, extension in any case
    EXPECT_EQ(a[4].stored, 1);  // too large
    EXPECT_EQ(a[5].stored, 0);  // layered images always deflate
    EXPECT_NE(a[0].timestamp, 0);
}

TEST(Manager, SearchOrderLooseThenArchivesInOrder) {
    ScratchDir dir;
    std::string first = dir.Write("one.dat", BuildArchive({{"a.txt", "from one"}, {"only1.txt", "1"}}, 102));
    std::string second = dir.Write("two.dat", BuildArchive({{"A.TXT", "from two"}, {"only2.txt", "2"}}, 101));
    dir.Write("loose/Only2.TXT", "loose wins");
    TVrFileManager m;
    int added = 0;
    m.on_archive_added = [&](TVrFileCollection*) { ++added; };
    m.SetLooseDirectory(dir / "loose");
    EXPECT_EQ(m.AddArchive(first), 0);
    EXPECT_EQ(m.AddArchive(second), 1);
    EXPECT_EQ(m.AddArchive(first), -1);  // already there
    EXPECT_EQ(added, 3);
    EXPECT_EQ(Read(m, "a.txt"), "from one");
    EXPECT_EQ(Read(m, "only2.txt"), "loose wins");
    EXPECT_EQ(Read(m, "ONLY1.txt"), "1");
    EXPECT_TRUE(m.Exists("only2.txt"));
    EXPECT_FALSE(m.Exists("nothing.txt"));
    try {
        Read(m, "nothing.txt");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "nothing.txt:ファイルがありません");
    }
    auto w = m.OpenRange("only2.txt");
    EXPECT_EQ(w->Size(), 10);
    EXPECT_THROW(m.OpenRange("nothing.txt"), Error);
    EXPECT_EQ(m.FindEntry("a.txt")->Name(), "a.txt");
    // The in-memory archive receives restored files.
    int mem = m.AddEmptyArchive();
    m.Archive(mem).AddInMemory("restored.txt").data->Bytes() = "back";
    EXPECT_EQ(Read(m, "restored.txt"), "back");
}

TEST(Manager, LooseFilesByCp932OrUtf8NameNeverOutsideTheFolder) {
    ScratchDir dir;
    dir.Write("game/Image/\xE7\xA9\xBA.txt", "utf8 sky");  // 空 in UTF-8
    dir.Write("game/Sound/\x83\x5C.txt", "cp932 name");    // ソ in CP932
    dir.Write("secret.txt", "outside");
    TVrFileManager m;
    m.SetLooseDirectory(dir / "game");
    EXPECT_EQ(Read(m, "image\\\x8B\xF3.TXT"), "utf8 sky");  // 空 in CP932
    EXPECT_EQ(Read(m, "SOUND\\\x83\x5C.txt"), "cp932 name");
    EXPECT_EQ(Read(m, "image/\x8B\xF3.txt"), "utf8 sky");
    for (const char* bad : {"..\\secret.txt", "image\\..\\..\\secret.txt", "\\secret.txt", "/etc/passwd",
                            "C:\\secret.txt"}) {
        EXPECT_FALSE(m.Exists(bad)) << bad;
    }
    std::vector<std::string> list;
    m.FileList("image", list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], "Image\\\x8B\xF3.txt");
}

TEST(Manager, WorkingFilesAreMadeOnceAndRemoved) {
    ScratchDir dir;
    TVrFileManager m;
    m.AddArchive(dir.Write("game.dat", BuildArchive({{"bgm\\song.ogg", "OggS data", true}, {"x.mid", "MThd"}}, 102)));
    std::string p1 = m.GetWorkingFile("bgm\\song.ogg");
    std::string p2 = m.GetWorkingFile("BGM\\SONG.OGG");
    EXPECT_EQ(p1, p2);
    EXPECT_EQ(ReadFile(p1), "OggS data");
    EXPECT_EQ(std::filesystem::path(p1).filename().string(), "~zv00000000.ogg");
    std::string p3 = m.GetWorkingFile("x.mid");
    EXPECT_EQ(std::filesystem::path(p3).filename().string(), "~zv00000001.mid");
    EXPECT_EQ(std::filesystem::status(std::filesystem::path(p1).parent_path()).permissions() &
                  std::filesystem::perms::others_all,
              std::filesystem::perms::none);
    EXPECT_EQ(m.GetWorkingFile("not\\there.wav"), "not\\there.wav");
    m.ReleaseWorkingFile("bgm\\song.ogg");
    m.DeleteQueuedFiles();
    EXPECT_TRUE(std::filesystem::exists(p1));  // still one holder
    m.ReleaseWorkingFile("bgm\\song.ogg");
    m.DeleteQueuedFiles();
    EXPECT_FALSE(std::filesystem::exists(p1));
    std::string tmp = std::filesystem::path(p3).parent_path().string();
    {
        TVrFileManager gone;
        gone.AddArchive(dir / "game.dat");
        tmp = std::filesystem::path(gone.GetWorkingFile("x.mid")).parent_path().string();
    }
    EXPECT_FALSE(std::filesystem::exists(tmp));
}

TEST(Manager, DiscRootsAreSearchedLast) {
    ScratchDir dir;
    dir.Write("disc/movie/op.mpg", "disc movie");
    TVrFileManager m;
    m.AddCdRoot(dir / "disc");
    EXPECT_TRUE(m.Exists("MOVIE\\OP.MPG"));
    EXPECT_EQ(Read(m, "movie\\op.mpg"), "disc movie");
    EXPECT_EQ(m.GetWorkingFile("movie\\op.mpg"), dir / "disc/movie/op.mpg");
}

namespace {
// A minimal Windows executable holding one resource DUMMY of type BINTYPE.
std::string BuildPe(const std::string& payload) {
    std::string f(0x200, '\0');
    f[0] = 'M';
    f[1] = 'Z';
    auto put16 = [&](size_t at, uint32_t v) {
        f[at] = static_cast<char>(v);
        f[at + 1] = static_cast<char>(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    };
    put32(0x3C, 0x40);
    f.replace(0x40, 4, std::string("PE\0\0", 4));
    put16(0x44 + 2, 1);    // one section
    put16(0x44 + 16, 224);  // optional header size
    size_t opt = 0x44 + 20;
    put16(opt, 0x10B);
    std::string rsrc;
    auto r16 = [&](uint32_t v) { rsrc.push_back(static_cast<char>(v)), rsrc.push_back(static_cast<char>(v >> 8)); };
    auto r32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) rsrc.push_back(static_cast<char>(v >> (8 * i)));
    };
    // root: one named entry (type) -> name dir -> language dir -> data entry
    r32(0), r32(0), r32(0), r16(1), r16(0), r32(0x80000000u | 0x60), r32(0x80000000u | 0x18);
    r32(0), r32(0), r32(0), r16(1), r16(0), r32(0x80000000u | 0x70), r32(0x80000000u | 0x30);
    r32(0), r32(0), r32(0), r16(0), r16(1), r32(0x411), r32(0x48);
    r32(0x1000 + 0x80), r32(static_cast<uint32_t>(payload.size())), r32(0), r32(0);
    rsrc.resize(0x60, '\0');
    r16(7);
    for (char c : std::string("BINTYPE")) r16(static_cast<uint8_t>(c));
    r16(5);
    for (char c : std::string("DUMMY")) r16(static_cast<uint8_t>(c));
    rsrc.resize(0x80, '\0');
    rsrc += payload;
    size_t dirs = opt + 96;
    put32(dirs + 16, 0x1000);
    put32(dirs + 20, static_cast<uint32_t>(rsrc.size()));
    size_t sec = opt + 224;
    f.replace(sec, 5, ".rsrc");
    put32(sec + 8, static_cast<uint32_t>(rsrc.size()));
    put32(sec + 12, 0x1000);
    put32(sec + 16, static_cast<uint32_t>(rsrc.size()));
    put32(sec + 20, 0x200);
    return f + rsrc;
}
}  // namespace

TEST(Manager, ArchiveStoredAsAProgramResource) {
    ScratchDir dir;
    std::string exe = dir.Write("game.exe", BuildPe(BuildArchive(kEntries, 102)));
    auto w = FindPeResource(exe, "dummy", "BinType");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->offset, 0x280);
    EXPECT_FALSE(FindPeResource(exe, "OTHER", "BINTYPE"));
    TVrFileManager m;
    m.AddResourceArchive(exe, "DUMMY", "BINTYPE");
    EXPECT_EQ(Read(m, "start.zsb"), "page one");
    auto r = m.OpenRange("sound\\\x83\x5C\x83\x93\x83\x4F.wav");
    std::string buf(12, '\0');
    EXPECT_EQ(r->Read(buf.data(), 12), 12);
    EXPECT_EQ(buf, "RIFF....WAVE");
    EXPECT_FALSE(FindPeResource(dir.Write("junk.exe", "MZ"), "DUMMY", "BINTYPE"));
}

TEST(GameNames, SplitFoldersAndExtensions) {
    EXPECT_EQ(GameFolderOf("a\\b\\c.txt"), "a\\b");
    EXPECT_EQ(GameFolderOf("\x83\x5C.txt"), "");  // the trail byte is no separator
    EXPECT_EQ(GameExtensionOf("dir.x\\file"), "");
    EXPECT_EQ(GameExtensionOf("a\\b.tar.gz"), ".gz");
    auto parts = SplitGameName("a\\\x83\x5C\\b");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->size(), 3u);
}
