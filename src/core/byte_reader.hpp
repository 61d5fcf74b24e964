#pragma once
// One bounds-checked little-endian reader for every binary format. Each read
// checks what is left first; a short or malformed record raises a FormatError
// that names the file and the offset, never a crash or a huge allocation.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/error.hpp"
#include "core/extended.hpp"

namespace mivo {

class ByteReader {
public:
    ByteReader(const void* data, size_t size, std::string source)
        : p_(static_cast<const uint8_t*>(data)), size_(size), source_(std::move(source)) {}

    size_t Offset() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    const std::string& Source() const { return source_; }
    const uint8_t* Here() const { return p_ + pos_; }

    void Seek(size_t pos) {
        if (pos > size_) Fail("seek past the end");
        pos_ = pos;
    }
    void Skip(size_t n) {
        Need(n, "skipped bytes");
        pos_ += n;
    }

    uint8_t U8() {
        Need(1, "byte");
        return p_[pos_++];
    }
    bool Bool() { return U8() != 0; }
    int16_t I16() { return static_cast<int16_t>(Fixed<uint16_t>("int16")); }
    uint16_t U16() { return Fixed<uint16_t>("uint16"); }
    int32_t I32() { return static_cast<int32_t>(Fixed<uint32_t>("int32")); }
    uint32_t U32() { return Fixed<uint32_t>("uint32"); }
    int64_t I64() { return static_cast<int64_t>(Fixed<uint64_t>("int64")); }
    double F64() {
        uint64_t bits = Fixed<uint64_t>("double");
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    long double Extended() {
        Need(10, "extended float");
        long double v = DecodeExtended(p_ + pos_);
        pos_ += 10;
        return v;
    }

    // int32 length n, then n bytes; n <= 0 is the empty string.
    std::string Str() {
        int32_t n = I32();
        if (n <= 0) return {};
        return Bytes(static_cast<size_t>(n), "string");
    }
    std::string Bytes(size_t n, const char* what = "bytes") {
        Need(n, what);
        std::string s(reinterpret_cast<const char*>(p_ + pos_), n);
        pos_ += n;
        return s;
    }
    // A count of records of at least min_record_size bytes each: checked
    // against what is left before the caller allocates for them.
    size_t Count(int64_t n, size_t min_record_size, const char* what) {
        if (n < 0) Fail(std::string("negative ") + what);
        if (min_record_size > 0 && static_cast<uint64_t>(n) > Remaining() / min_record_size)
            Fail(std::string(what) + " larger than the data left");
        return static_cast<size_t>(n);
    }

    [[noreturn]] void Fail(const std::string& what) const;

private:
    void Need(size_t n, const char* what) {
        if (n > Remaining()) Fail(std::string("truncated ") + what);
    }
    template <class U>
    U Fixed(const char* what) {
        Need(sizeof(U), what);
        U v = 0;
        for (size_t i = 0; i < sizeof(U); ++i) v |= static_cast<U>(static_cast<U>(p_[pos_ + i]) << (8 * i));
        pos_ += sizeof(U);
        return v;
    }

    const uint8_t* p_;
    size_t size_;
    size_t pos_ = 0;
    std::string source_;
};

// Little-endian appends for the writers.
void PutU8(std::string& out, uint8_t v);
void PutI32(std::string& out, int32_t v);
void PutI64(std::string& out, int64_t v);
void PutStr(std::string& out, std::string_view s);

}  // namespace mivo
