#include "data/streams.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/error.hpp"
#include "core/extended.hpp"

namespace mivo {

int64_t TStream::Size() {
    int64_t here = Position();
    int64_t end = Seek(0, SeekOrigin::End);
    Seek(here, SeekOrigin::Begin);
    return end;
}

void TStream::SetSize(int64_t) { throw Error("stream cannot change its size"); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count > 0 && Read(buffer, count) != count) throw Error("stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count > 0 && Write(buffer, count) != count) throw Error("stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<char> buf(static_cast<size_t>(std::min<int64_t>(count, 0x100000)) + 1);
    int64_t done = 0;
    while (done < count) {
        int64_t n = std::min<int64_t>(count - done, static_cast<int64_t>(buf.size()));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        done += n;
    }
    return done;
}

// --- TMemoryStream -----------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t n = std::clamp<int64_t>(Size() - pos_, 0, std::max<int64_t>(count, 0));
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    size_t end = static_cast<size_t>(pos_ + count);
    if (end > data_.size()) data_.resize(end);
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? pos_ : Size();
    pos_ = std::max<int64_t>(0, base + offset);
    return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    pos_ = std::min(pos_, Size());
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream f(path, TFileStream::OpenRead);
    int64_t n = f.Size();
    data_.assign(static_cast<size_t>(n), '\0');
    f.ReadBuffer(data_.data(), n);
    pos_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& path) const {
    TFileStream f(path, TFileStream::Create);
    f.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

// --- TFileStream -------------------------------------------------------------

TFileStream::TFileStream(const std::string& path, Mode mode) : path_(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case OpenRead: flags |= O_RDONLY; break;
        case OpenReadWrite: flags |= O_RDWR; break;
        case Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        case CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    }
    fd_ = ::open(path.c_str(), flags, mode == CreateNew ? 0600 : 0644);
    if (fd_ < 0) throw Error(path + ": " + std::strerror(errno));
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t r = ::read(fd_, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += r;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t r = ::write(fd_, static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += r;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
    int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(fd_, offset, whence);
    return r < 0 ? Position() : r;
}

void TFileStream::SetSize(int64_t size) {
    if (::ftruncate(fd_, size) != 0) throw Error(path_ + ": " + std::strerror(errno));
}

void TFileStream::Flush() { ::fsync(fd_); }

// --- serialisation helpers -----------------------------------------------------

namespace {
template <class U>
U ReadLE(TStream& s) {
    uint8_t b[sizeof(U)];
    s.ReadBuffer(b, sizeof b);
    U v = 0;
    for (size_t i = 0; i < sizeof(U); ++i) v |= static_cast<U>(static_cast<U>(b[i]) << (8 * i));
    return v;
}
template <class U>
void WriteLE(TStream& s, U v) {
    uint8_t b[sizeof(U)];
    for (size_t i = 0; i < sizeof(U); ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    s.WriteBuffer(b, sizeof b);
}
}  // namespace

int32_t ReadInt32(TStream& s) { return static_cast<int32_t>(ReadLE<uint32_t>(s)); }
int64_t ReadInt64(TStream& s) { return static_cast<int64_t>(ReadLE<uint64_t>(s)); }
uint8_t ReadByte(TStream& s) { return ReadLE<uint8_t>(s); }
bool ReadBool(TStream& s) { return ReadByte(s) != 0; }

std::string ReadStr(TStream& s, int64_t max_len) {
    int32_t n = ReadInt32(s);
    if (n <= 0) return {};
    if (n > max_len || n > s.Size() - s.Position()) throw Error("string length beyond the data");
    std::string out(static_cast<size_t>(n), '\0');
    s.ReadBuffer(out.data(), n);
    return out;
}

long double ReadExtendedValue(TStream& s) {
    uint8_t b[10];
    s.ReadBuffer(b, 10);
    return DecodeExtended(b);
}

void WriteInt32(TStream& s, int32_t v) { WriteLE<uint32_t>(s, static_cast<uint32_t>(v)); }
void WriteInt64(TStream& s, int64_t v) { WriteLE<uint64_t>(s, static_cast<uint64_t>(v)); }
void WriteByte(TStream& s, uint8_t v) { WriteLE<uint8_t>(s, v); }
void WriteBool(TStream& s, bool v) { WriteByte(s, v ? 1 : 0); }
void WriteStr(TStream& s, std::string_view v) {
    WriteInt32(s, static_cast<int32_t>(v.size()));
    s.WriteBuffer(v.data(), static_cast<int64_t>(v.size()));
}
void WriteExtendedValue(TStream& s, long double v) {
    Extended10 e = EncodeExtended(v);
    s.WriteBuffer(e.data(), 10);
}

}  // namespace mivo
