#include "data/bigstreams.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/error.hpp"
#include "data/peresource.hpp"

namespace mivo {

void TTpBigStream::ReadBuffer(void* buffer, int64_t count) {
    if (count > 0 && Read(buffer, count) != count) throw Error("stream read error");
}

// --- TTpBigFileStream ----------------------------------------------------------

std::string TTpBigFileStream::SegmentName(const std::string& name, int i) {
    if (i == 0) return name;
    std::filesystem::path p(name);
    std::string stem = p.has_extension() ? (p.parent_path() / p.stem()).string() : name;
    char buf[16];
    std::snprintf(buf, sizeof buf, ".%.3d", i);
    return stem + buf;
}

TTpBigFileStream::TTpBigFileStream(const std::string& name, uint32_t mode) : name_(name), mode_(mode) {
    uint32_t access = mode & 3;
    if (access != 0 && access != 2) {
        // Write-only or create: the old file and all its segments go; segments
        // are made again as they are written.
        for (int i = 0;; ++i) {
            std::string seg = SegmentName(name, i);
            if (::unlink(seg.c_str()) != 0) break;
        }
        return;
    }
    int flags = (access == 2 ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    for (int i = 0;; ++i) {
        int fd = ::open(SegmentName(name, i).c_str(), flags);
        if (fd < 0) {
            if (i == 0 && errno != ENOENT) throw Error(name + ": " + std::strerror(errno));
            break;
        }
        segments_.push_back(fd);
    }
}

TTpBigFileStream::~TTpBigFileStream() {
    for (int fd : segments_) {
        if (Writable()) ::fsync(fd);
        ::close(fd);
    }
}

bool TTpBigFileStream::Writable() const { return (mode_ & 3) != 0; }

int TTpBigFileStream::SegmentFd(size_t index, bool create) {
    while (create && index >= segments_.size()) {
        std::string seg = SegmentName(name_, static_cast<int>(segments_.size()));
        int fd = ::open(seg.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) throw Error(seg + ": " + std::strerror(errno));
        segments_.push_back(fd);
    }
    return index < segments_.size() ? segments_[index] : -1;
}

int64_t TTpBigFileStream::GetSize() {
    int64_t total = 0;
    for (int fd : segments_) {
        struct stat st{};
        if (::fstat(fd, &st) == 0) total += st.st_size;
    }
    return total;
}

void TTpBigFileStream::SetPosition(int64_t p) {
    position_ = std::max<int64_t>(p, 0);
    int64_t size = GetSize();
    if (position_ > size) position_ = size;
}

template <class Op>
int64_t TTpBigFileStream::Segmented(int64_t count, bool create, Op op) {
    int64_t total = 0;
    while (count > 0) {
        size_t seg = static_cast<size_t>(position_ / kSegmentSize);
        int64_t offset = position_ % kSegmentSize;
        int fd = SegmentFd(seg, create);
        if (fd < 0) break;
        int64_t chunk = std::min(kSegmentSize - offset, count);
        int64_t done = op(fd, offset, chunk, total);
        position_ += done;
        total += done;
        count -= done;
        if (done < chunk) break;  // a short segment ends the transfer
    }
    return total;
}

int64_t TTpBigFileStream::Read(void* buffer, int64_t count) {
    char* out = static_cast<char*>(buffer);
    return Segmented(count, false, [&](int fd, int64_t offset, int64_t chunk, int64_t at) {
        int64_t got = 0;
        while (got < chunk) {
            ssize_t r = ::pread(fd, out + at + got, static_cast<size_t>(chunk - got), offset + got);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += r;
        }
        return got;
    });
}

int64_t TTpBigFileStream::Write(const void* buffer, int64_t count) {
    if (!Writable()) return 0;
    const char* in = static_cast<const char*>(buffer);
    return Segmented(count, true, [&](int fd, int64_t offset, int64_t chunk, int64_t at) {
        int64_t put = 0;
        while (put < chunk) {
            ssize_t r = ::pwrite(fd, in + at + put, static_cast<size_t>(chunk - put), offset + put);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            put += r;
        }
        return put;
    });
}

int64_t TTpBigFileStream::CopyFromBig(TTpBigStream& source, int64_t count) {
    if (!Writable()) return 0;
    std::vector<char> buf(static_cast<size_t>(std::clamp<int64_t>(count, 1, kCopyBufferSize)));
    int64_t done = 0;
    while (done < count) {
        int64_t n = std::min<int64_t>(count - done, static_cast<int64_t>(buf.size()));
        int64_t got = source.Read(buf.data(), n);
        if (got <= 0) break;
        int64_t put = Write(buf.data(), got);
        done += put;
        if (put < got || got < n) break;
    }
    return done;
}

int64_t TTpBigFileStream::CopyFrom(TStream& source, int64_t count) {
    if (!Writable()) return 0;
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<char> buf(static_cast<size_t>(std::clamp<int64_t>(count, 1, kCopyBufferSize)));
    int64_t done = 0;
    while (done < count) {
        int64_t n = std::min<int64_t>(count - done, static_cast<int64_t>(buf.size()));
        int64_t got = source.Read(buf.data(), n);
        if (got <= 0) break;
        int64_t put = Write(buf.data(), got);
        done += put;
        if (put < got) break;
    }
    return done;
}

int64_t TTpBigFileStream::CopyTo(TStream& target, int64_t count) {
    std::vector<char> buf(static_cast<size_t>(std::clamp<int64_t>(count, 1, kCopyBufferSize)));
    int64_t done = 0;
    while (done < count) {
        int64_t n = std::min<int64_t>(count - done, static_cast<int64_t>(buf.size()));
        int64_t got = Read(buf.data(), n);
        if (got <= 0) break;
        target.WriteBuffer(buf.data(), got);
        done += got;
        if (got < n) break;
    }
    return done;
}

// --- TTpBigMemoryStream -----------------------------------------------------------

int64_t TTpBigMemoryStream::CopyFromBig(TTpBigStream& source, int64_t count) {
    auto* mem = dynamic_cast<TTpBigMemoryStream*>(&source);
    if (!mem || count <= 0) return 0;
    TMemoryStream& src = mem->mem_;
    int64_t n = std::min(count, src.Size() - src.Position());
    if (n <= 0) return 0;
    int64_t put = mem_.Write(src.Memory() + src.Position(), n);
    src.Seek(put, SeekOrigin::Current);
    return put;
}

int64_t TTpBigMemoryStream::CopyTo(TStream& target, int64_t count) {
    int64_t n = std::min(count, mem_.Size() - mem_.Position());
    if (n <= 0) return 0;
    target.WriteBuffer(mem_.Memory() + mem_.Position(), n);
    mem_.Seek(n, SeekOrigin::Current);
    return n;
}

// --- TTpBigResourceStream ---------------------------------------------------------

TTpBigResourceStream::TTpBigResourceStream(const std::string& module, const std::string& res_name,
                                           const std::string& res_type)
    : res_name_(res_name), res_type_(res_type) {
    auto window = FindPeResource(module, res_name, res_type);
    if (!window) throw Error(module + ": no resource " + res_name + " of type " + res_type);
    fd_ = ::open(module.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw Error(module + ": " + std::strerror(errno));
    base_ = window->offset;
    size_ = window->size;
}

TTpBigResourceStream::~TTpBigResourceStream() {
    if (fd_ >= 0) ::close(fd_);
}

int64_t TTpBigResourceStream::Read(void* buffer, int64_t count) {
    int64_t n = std::clamp<int64_t>(size_ - position_, 0, std::max<int64_t>(count, 0));
    int64_t got = 0;
    while (got < n) {
        ssize_t r = ::pread(fd_, static_cast<char*>(buffer) + got, static_cast<size_t>(n - got),
                            base_ + position_ + got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += r;
    }
    position_ += got;
    return got;
}

int64_t TTpBigResourceStream::CopyFromBig(TTpBigStream&, int64_t) { return 0; }

int64_t TTpBigResourceStream::CopyTo(TStream& target, int64_t count) {
    std::vector<char> buf(static_cast<size_t>(std::clamp<int64_t>(count, 1, 0x100000)));
    int64_t done = 0;
    while (done < count) {
        int64_t got = Read(buf.data(), std::min<int64_t>(count - done, static_cast<int64_t>(buf.size())));
        if (got <= 0) break;
        target.WriteBuffer(buf.data(), got);
        done += got;
    }
    return done;
}

// --- TTpBuffBigStream -------------------------------------------------------------

TTpBuffBigStream::~TTpBuffBigStream() {
    if (left_ > 0) source_.SetPosition(source_.GetPosition() - left_);
}

int64_t TTpBuffBigStream::ReadBuffered(void* buffer, int64_t count) {
    char* out = static_cast<char*>(buffer);
    int64_t handed = 0;
    while (count > 0) {
        if (left_ == 0) {
            buffer_.Clear();
            int64_t fill = std::min(source_.GetSize() - source_.GetPosition(), kBufferSize);
            if (fill <= 0) break;
            left_ = source_.CopyTo(buffer_, fill);
            buffer_.SetPosition(0);
            if (left_ <= 0) {
                left_ = 0;
                break;
            }
        }
        int64_t n = std::min(count, left_);
        buffer_.ReadBuffer(out + handed, n);
        handed += n;
        count -= n;
        left_ -= n;
    }
    return handed;
}

// --- TRangeStream ------------------------------------------------------------------

TRangeStream::TRangeStream(std::unique_ptr<TTpBigStream> source, int64_t size, int64_t start, bool exact_size)
    : owned_(std::move(source)), start_(start), size_(size) {
    Place(owned_->GetSize(), exact_size);
}

TRangeStream::TRangeStream(TStream& source, int64_t size, int64_t start, bool exact_size)
    : plain_(&source), start_(start), size_(size) {
    Place(plain_->Size(), exact_size);
}

// Keeps the window inside the source and puts the source at its start.
void TRangeStream::Place(int64_t total, bool exact_size) {
    start_ = std::clamp<int64_t>(start_, 0, total);
    if (size_ < 0 || (size_ == 0 && !exact_size) || start_ + size_ > total) size_ = total - start_;
    SetSourcePosition(start_);
}

int64_t TRangeStream::SourcePosition() { return owned_ ? owned_->GetPosition() : plain_->Position(); }

void TRangeStream::SetSourcePosition(int64_t p) {
    if (owned_)
        owned_->SetPosition(p);
    else
        plain_->SetPosition(p);
}

int64_t TRangeStream::Seek(int64_t offset, SeekOrigin origin) {
    std::lock_guard<std::mutex> hold(lock_);
    int64_t target = origin == SeekOrigin::Begin     ? start_ + offset
                     : origin == SeekOrigin::Current ? SourcePosition() + offset
                                                     : start_ + size_ + offset;
    target = std::clamp(target, start_, start_ + size_);
    SetSourcePosition(target);
    return SourcePosition() - start_;
}

int64_t TRangeStream::Read(void* buffer, int64_t count) {
    std::lock_guard<std::mutex> hold(lock_);
    int64_t pos = SourcePosition();
    if (pos + count > start_ + size_) count = start_ + size_ - pos;
    if (count <= 0) return 0;
    return owned_ ? owned_->Read(buffer, count) : plain_->Read(buffer, count);
}

TFileRangeStream::TFileRangeStream(const std::string& file, int64_t size, int64_t start, bool exact_size)
    : TRangeStream(std::make_unique<TTpBigFileStream>(file, fmOpenRead | fmShareDenyWrite), size, start,
                   exact_size) {}

TResourceRangeStream::TResourceRangeStream(const std::string& module, const std::string& res_name,
                                           int64_t size, int64_t start, const std::string& res_type,
                                           bool exact_size)
    : TRangeStream(std::make_unique<TTpBigResourceStream>(module, res_name, res_type), size, start,
                   exact_size) {}

}  // namespace mivo
