#pragma once
// The 64-bit stream family: files split into 1 GiB segments, memory, and
// windows onto a file (executable resources are file windows here); a
// buffered forward reader; and the thread-safe read-only window that media
// playback shares with the decoder threads.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/streams.hpp"

namespace mivo {

// Open-mode word: access in bits 0..1, sharing in bits 4..7, or create.
enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF,
};

class TTpBigStream {
public:
    virtual ~TTpBigStream() = default;
    // The base class answers 0 to everything and ignores positions.
    virtual int64_t GetSize() { return 0; }
    virtual int64_t GetPosition() { return 0; }
    virtual void SetPosition(int64_t) {}
    virtual int64_t Write(const void*, int64_t) { return 0; }
    virtual int64_t Read(void*, int64_t) { return 0; }
    virtual int64_t CopyFromBig(TTpBigStream&, int64_t) { return 0; }
    virtual int64_t CopyFrom(TStream&, int64_t) { return 0; }
    virtual int64_t CopyTo(TStream&, int64_t) { return 0; }

    // Whole-buffer read: a short read raises an Error.
    void ReadBuffer(void* buffer, int64_t count);
};

class TTpBigFileStream : public TTpBigStream {
public:
    static constexpr int64_t kSegmentSize = 0x40000000;
    static constexpr int64_t kCopyBufferSize = 0x100000;

    TTpBigFileStream(const std::string& name, uint32_t mode);
    ~TTpBigFileStream() override;
    TTpBigFileStream(const TTpBigFileStream&) = delete;
    TTpBigFileStream& operator=(const TTpBigFileStream&) = delete;

    int64_t GetSize() override;
    int64_t GetPosition() override { return position_; }
    void SetPosition(int64_t p) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t CopyFromBig(TTpBigStream& source, int64_t count) override;
    int64_t CopyFrom(TStream& source, int64_t count) override;
    int64_t CopyTo(TStream& target, int64_t count) override;

    const std::string& FileName() const { return name_; }
    size_t SegmentCount() const { return segments_.size(); }
    // "game.dat" -> "game.001" for i = 1 (segment 0 is the file itself).
    static std::string SegmentName(const std::string& name, int i);

private:
    bool Writable() const;
    int SegmentFd(size_t index, bool create);
    // Reads or writes one chunk that stays inside a segment.
    template <class Op>
    int64_t Segmented(int64_t count, bool create, Op op);

    std::string name_;
    uint32_t mode_;
    int64_t position_ = 0;
    std::vector<int> segments_;
};

class TTpBigMemoryStream : public TTpBigStream {
public:
    int64_t GetSize() override { return mem_.Size(); }
    int64_t GetPosition() override { return mem_.Position(); }
    void SetPosition(int64_t p) override { mem_.SetPosition(std::min(p, mem_.Size())); }
    int64_t Write(const void* buffer, int64_t count) override { return mem_.Write(buffer, count); }
    int64_t Read(void* buffer, int64_t count) override { return mem_.Read(buffer, count); }
    // Only from another memory big stream.
    int64_t CopyFromBig(TTpBigStream& source, int64_t count) override;
    int64_t CopyFrom(TStream& source, int64_t count) override { return mem_.CopyFrom(source, count); }
    int64_t CopyTo(TStream& target, int64_t count) override;

    void SaveToFile(const std::string& name) const { mem_.SaveToFile(name); }
    void LoadFromFile(const std::string& name) { mem_.LoadFromFile(name); }
    TMemoryStream& Memory() { return mem_; }

private:
    TMemoryStream mem_;
};

// A resource of a module: here a read-only window [offset, offset + size)
// of the module file, found by the resource directory reader.
class TTpBigResourceStream : public TTpBigStream {
public:
    // Raises an Error when the module has no such resource.
    TTpBigResourceStream(const std::string& module, const std::string& res_name,
                         const std::string& res_type);
    ~TTpBigResourceStream() override;
    TTpBigResourceStream(const TTpBigResourceStream&) = delete;
    TTpBigResourceStream& operator=(const TTpBigResourceStream&) = delete;

    int64_t GetSize() override { return size_; }
    int64_t GetPosition() override { return position_; }
    void SetPosition(int64_t p) override { position_ = std::clamp<int64_t>(p, 0, size_); }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t CopyFromBig(TTpBigStream& source, int64_t count) override;
    int64_t CopyTo(TStream& target, int64_t count) override;

    const std::string& ResName() const { return res_name_; }
    const std::string& ResType() const { return res_type_; }

private:
    std::string res_name_, res_type_;
    int fd_ = -1;
    int64_t base_ = 0, size_ = 0, position_ = 0;
};

// Forward reader with a 102400-byte buffer. On destruction the source is put
// back just after the bytes handed out.
class TTpBuffBigStream {
public:
    static constexpr int64_t kBufferSize = 102400;
    explicit TTpBuffBigStream(TTpBigStream& source) : source_(source) {}
    ~TTpBuffBigStream();
    TTpBuffBigStream(const TTpBuffBigStream&) = delete;
    TTpBuffBigStream& operator=(const TTpBuffBigStream&) = delete;

    int64_t ReadBuffered(void* buffer, int64_t count);

private:
    TTpBigStream& source_;
    TMemoryStream buffer_;
    int64_t left_ = 0;
};

// Read-only window [start, start + size) on a big stream or an ordinary one,
// safe to share between threads: Seek and Read hold the window's own lock.
class TRangeStream : public TStream {
public:
    // size 0 reaches to the end of the source unless exact_size is set (an
    // empty archive entry must give an empty window, not the rest of the file).
    TRangeStream(std::unique_ptr<TTpBigStream> source, int64_t size, int64_t start, bool exact_size = false);
    TRangeStream(TStream& source, int64_t size, int64_t start, bool exact_size = false);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return size_; }

    int64_t Start() const { return start_; }

private:
    void Place(int64_t total, bool exact_size);
    int64_t SourcePosition();
    void SetSourcePosition(int64_t p);

    std::unique_ptr<TTpBigStream> owned_;
    TStream* plain_ = nullptr;
    int64_t start_, size_;
    std::mutex lock_;
};

// Window on a file opened read + deny write; size 0 reaches to the end.
class TFileRangeStream : public TRangeStream {
public:
    TFileRangeStream(const std::string& file, int64_t size, int64_t start, bool exact_size = false);
};

class TResourceRangeStream : public TRangeStream {
public:
    TResourceRangeStream(const std::string& module, const std::string& res_name, int64_t size,
                         int64_t start, const std::string& res_type, bool exact_size = false);
};

}  // namespace mivo
