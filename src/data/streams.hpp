#pragma once
// Ordinary streams: the byte-stream interface most readers and writers use,
// a growable memory stream and a file stream. Positions are 64-bit.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mivo {

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t size);

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t p) { Seek(p, SeekOrigin::Begin); }

    // Whole-buffer forms: a short read or write raises an Error.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Appends count bytes of source from its position; count 0 copies the
    // whole source from its start.
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;

    void Clear() {
        data_.clear();
        pos_ = 0;
    }
    const char* Memory() const { return data_.data(); }
    char* Memory() { return data_.data(); }
    const std::string& Bytes() const { return data_; }
    std::string& Bytes() { return data_; }
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

private:
    std::string data_;
    int64_t pos_ = 0;
};

// In-memory records (saved command state, save-game records).
class TTpMemoryStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
};

// A plain file on disk (POSIX descriptor).
class TFileStream : public TStream {
public:
    // CreateNew fails when the file exists (private working files).
    enum Mode { OpenRead, OpenReadWrite, Create, CreateNew };
    TFileStream(const std::string& path, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    void SetSize(int64_t size) override;
    void Flush();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

// Serialisation helpers shared by the binary formats (little-endian; a string
// is an int32 length n then n bytes, n <= 0 being empty). Reads of a short
// stream raise an Error.
int32_t ReadInt32(TStream& s);
int64_t ReadInt64(TStream& s);
uint8_t ReadByte(TStream& s);
bool ReadBool(TStream& s);
// max_len bounds what a corrupt length may allocate.
std::string ReadStr(TStream& s, int64_t max_len = 0x10000000);
long double ReadExtendedValue(TStream& s);
void WriteInt32(TStream& s, int32_t v);
void WriteInt64(TStream& s, int64_t v);
void WriteByte(TStream& s, uint8_t v);
void WriteBool(TStream& s, bool v);
void WriteStr(TStream& s, std::string_view v);
void WriteExtendedValue(TStream& s, long double v);

}  // namespace mivo
