#include "data/zlibs.hpp"

#include <zlib.h>

#include <algorithm>

#include "core/error.hpp"

namespace mivo {

std::string DeflateBytes(std::string_view data, int level) {
    uLongf bound = compressBound(static_cast<uLong>(data.size()));
    std::string out(bound, '\0');
    int r = compress2(reinterpret_cast<Bytef*>(out.data()), &bound,
                      reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), level);
    if (r != Z_OK) throw Error("deflate failed");
    out.resize(bound);
    return out;
}

size_t InflateLimit(size_t n) {
    // Deflate cannot expand by more than about 1032:1; nothing stored in a
    // game needs more than 1 GiB in one piece.
    constexpr size_t kCap = size_t{1} << 30;
    if (n > kCap / 1032) return kCap;
    return std::min(kCap, n * 1032 + 1024);
}

std::string InflateBytes(std::string_view data, size_t max_out, const std::string& source) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw Error("inflate failed");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    std::string out;
    out.resize(std::min<size_t>(max_out, std::max<size_t>(data.size() * 4, 4096)));
    size_t produced = 0;
    int r = Z_OK;
    while (true) {
        if (produced == out.size()) {
            if (out.size() >= max_out) break;
            out.resize(std::min(max_out, out.size() * 2));
        }
        z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        z.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - produced, 1u << 30));
        uInt before = z.avail_out;
        r = inflate(&z, Z_NO_FLUSH);
        produced += before - z.avail_out;
        if (r == Z_STREAM_END) break;
        if (r == Z_BUF_ERROR && z.avail_in == 0) break;  // input ended early
        if (r != Z_OK && r != Z_BUF_ERROR) break;
    }
    inflateEnd(&z);
    if (r != Z_STREAM_END) {
        if (produced >= max_out) throw FormatError(source + ": compressed data expands beyond its limit");
        throw FormatError(source + ": corrupt or truncated compressed data");
    }
    out.resize(produced);
    return out;
}

uint32_t Crc32(std::string_view data, uint32_t crc) {
    const Bytef* p = reinterpret_cast<const Bytef*>(data.data());
    size_t left = data.size();
    uLong c = crc;
    while (left > 0) {
        uInt n = static_cast<uInt>(std::min<size_t>(left, 1u << 30));
        c = crc32(c, p, n);
        p += n;
        left -= n;
    }
    return static_cast<uint32_t>(c);
}

}  // namespace mivo
