#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/error.hpp"

#include "data/bigstreams.hpp"
#include "data/streams.hpp"
#include "test_helpers.hpp"

using namespace mivo;

namespace {
constexpr int64_t kSeg = TTpBigFileStream::kSegmentSize;

// A sparse first segment of exactly 1 GiB whose last bytes are known.
void MakeSparseSegment(const std::string& path, const std::string& tail) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kSeg), 0);
    ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), kSeg - static_cast<int64_t>(tail.size())),
              static_cast<ssize_t>(tail.size()));
    ::close(fd);
}
}  // namespace

TEST(BigFileStream, SegmentNames) {
    EXPECT_EQ(TTpBigFileStream::SegmentName("dir/game.dat", 0), "dir/game.dat");
    EXPECT_EQ(TTpBigFileStream::SegmentName("dir/game.dat", 1), "dir/game.001");
    EXPECT_EQ(TTpBigFileStream::SegmentName("dir/game.dat", 12), "dir/game.012");
    EXPECT_EQ(TTpBigFileStream::SegmentName("game", 3), "game.003");
}

TEST(BigFileStream, ReadAcrossASegmentBoundary) {
    ScratchDir dir;
    MakeSparseSegment(dir / "game.dat", "ABCDEFGHIJ");
    std::string second(200, 'x');
    for (int i = 0; i < 200; ++i) second[static_cast<size_t>(i)] = static_cast<char>('a' + i % 26);
    dir.Write("game.001", second);

    TTpBigFileStream s(dir / "game.dat", fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(s.SegmentCount(), 2u);
    EXPECT_EQ(s.GetSize(), kSeg + 200);
    s.SetPosition(kSeg - 10);
    std::string buf(100, '\0');
    ASSERT_EQ(s.Read(buf.data(), 100), 100);
    EXPECT_EQ(buf.substr(0, 10), "ABCDEFGHIJ");
    EXPECT_EQ(buf.substr(10), second.substr(0, 90));
    EXPECT_EQ(s.GetPosition(), kSeg + 90);

    // Past the last segment the read is short and counts what was read.
    s.SetPosition(kSeg + 150);
    EXPECT_EQ(s.Read(buf.data(), 100), 50);

    s.SetPosition(kSeg * 3);
    EXPECT_EQ(s.GetPosition(), kSeg + 200);
}

TEST(BigFileStream, WriteSplitsAtTheBoundaryAndCreatesTheNextSegment) {
    ScratchDir dir;
    MakeSparseSegment(dir / "big.dat", "....");
    {
        TTpBigFileStream s(dir / "big.dat", fmOpenReadWrite);
        s.SetPosition(kSeg - 5);
        ASSERT_EQ(s.Write("0123456789ABCDEFGHIJ", 20), 20);
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "big.dat"), static_cast<uintmax_t>(kSeg));
    EXPECT_EQ(ReadFile(dir / "big.001"), "56789ABCDEFGHIJ");
    // Opening for creation removes every old segment.
    { TTpBigFileStream s(dir / "big.dat", fmCreate); }
    EXPECT_FALSE(std::filesystem::exists(dir / "big.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "big.001"));
}

TEST(BigFileStream, CreateWriteAndReadBack) {
    ScratchDir dir;
    {
        TTpBigFileStream s(dir / "out.bin", fmCreate);
        EXPECT_EQ(s.Write("hello", 5), 5);
        TMemoryStream m(" world");
        EXPECT_EQ(s.CopyFrom(m, 0), 6);
    }
    TTpBigFileStream r(dir / "out.bin", fmOpenRead);
    TMemoryStream m;
    EXPECT_EQ(r.CopyTo(m, 100), 11);
    EXPECT_EQ(m.Bytes(), "hello world");
}

TEST(BuffBigStream, PutsUnreadBytesBack) {
    TTpBigMemoryStream src;
    std::string data(250000, 'q');
    src.Write(data.data(), static_cast<int64_t>(data.size()));
    src.SetPosition(1000);
    {
        TTpBuffBigStream b(src);
        char three[3];
        EXPECT_EQ(b.ReadBuffered(three, 3), 3);
        EXPECT_EQ(src.GetPosition(), 1000 + TTpBuffBigStream::kBufferSize);
    }
    EXPECT_EQ(src.GetPosition(), 1003);
    {
        // Reads spanning several buffer fills hand out every byte once.
        TTpBuffBigStream b(src);
        std::string all(300000, '\0');
        EXPECT_EQ(b.ReadBuffered(all.data(), 300000), 250000 - 1003);
    }
    EXPECT_EQ(src.GetPosition(), 250000);
}

TEST(RangeStream, SeeksAreClampedToTheWindow) {
    TMemoryStream src(std::string("0123456789abcdefghij"));
    TRangeStream w(src, 6, 4);  // "456789"
    struct Case {
        int64_t offset;
        SeekOrigin origin;
        int64_t expect;
    } cases[] = {
        {-5, SeekOrigin::Begin, 0}, {2, SeekOrigin::Begin, 2},   {3, SeekOrigin::Current, 5},
        {9, SeekOrigin::Current, 6}, {-1, SeekOrigin::End, 5},   {4, SeekOrigin::End, 6},
        {-99, SeekOrigin::End, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(w.Seek(c.offset, c.origin), c.expect) << c.offset;
    w.Seek(4, SeekOrigin::Begin);
    char buf[10] = {};
    EXPECT_EQ(w.Read(buf, 10), 2);
    EXPECT_EQ(std::string(buf, 2), "89");
    EXPECT_EQ(w.Read(buf, 10), 0);
    EXPECT_EQ(w.Write("x", 1), 0);
    EXPECT_EQ(w.Size(), 6);
}

TEST(RangeStream, SizeZeroMeansToTheEndUnlessExact) {
    TMemoryStream src(std::string("0123456789"));
    EXPECT_EQ(TRangeStream(src, 0, 3).Size(), 7);
    EXPECT_EQ(TRangeStream(src, 0, 3, true).Size(), 0);
    EXPECT_EQ(TRangeStream(src, 50, 8).Size(), 2);
}

TEST(Serialisation, StringLengthZeroOrNegativeIsEmpty) {
    for (int32_t n : {0, -1, -100}) {
        TMemoryStream m;
        WriteInt32(m, n);
        WriteInt32(m, 77);
        m.SetPosition(0);
        EXPECT_EQ(ReadStr(m), "");
        EXPECT_EQ(m.Position(), 4);
        EXPECT_EQ(ReadInt32(m), 77);
    }
}

TEST(Serialisation, RoundTripAndCorruptLengths) {
    TMemoryStream m;
    WriteStr(m, "\x83\x5C\x95\x5C");
    WriteInt64(m, -5);
    WriteBool(m, true);
    WriteExtendedValue(m, 2.5L);
    m.SetPosition(0);
    EXPECT_EQ(ReadStr(m), "\x83\x5C\x95\x5C");
    EXPECT_EQ(ReadInt64(m), -5);
    EXPECT_TRUE(ReadBool(m));
    EXPECT_EQ(ReadExtendedValue(m), 2.5L);

    TMemoryStream bad;
    WriteInt32(bad, 0x7FFFFFFF);  // claims 2 GiB that are not there
    bad.SetPosition(0);
    EXPECT_THROW(ReadStr(bad), Error);
}
