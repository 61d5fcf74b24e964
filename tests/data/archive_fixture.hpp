#pragma once
// Builds archive files of every directory version for the reader's tests:
// the player itself only writes version 102, but games carry older ones.
#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_reader.hpp"
#include "core/tprandom.hpp"
#include "data/zlibs.hpp"

namespace fixture {

struct Entry {
    std::string name;
    std::string contents;
    bool stored = false;  // as is (only where the version has flags)
};

// version 0 writes no signature; versions <= 100 use 4-byte offsets and
// inflate every entry; versions > 99 scramble names and offsets.
inline std::string BuildArchive(const std::vector<Entry>& entries, int version, int64_t base = 0) {
    const int n = static_cast<int>(entries.size());
    std::string dir;
    if (version > 0) {
        dir += "vf";
        mivo::PutI32(dir, version);
    }
    mivo::PutI32(dir, n);
    mivo::TTpRandom names;
    for (const auto& e : entries) {
        std::string nm = e.name;
        if (version > 99)
            for (char& c : nm) c = static_cast<char>(static_cast<uint8_t>(c) ^ (names.Next() & 0xFF));
        mivo::PutStr(dir, nm);
    }
    bool flags = version > 100;
    std::vector<std::string> blobs;
    for (const auto& e : entries)
        blobs.push_back(flags && e.stored ? e.contents : mivo::DeflateBytes(e.contents, 2));
    size_t table = static_cast<size_t>(n + 1) * (flags ? 8 : 4) +
                   (flags ? static_cast<size_t>(n) * (version >= 102 ? 10 : 9) : 0);
    int64_t off = base + static_cast<int64_t>(dir.size() + table);
    mivo::TTpRandom key;
    std::string offsets;
    for (int i = 0; i <= n; ++i) {
        int64_t rel = off - base;
        uint32_t r = version > 99 ? key.Next() : 0;
        if (flags) {
            uint64_t u = static_cast<uint64_t>(rel);
            uint32_t lo = static_cast<uint32_t>(u) ^ r;
            uint32_t hi = static_cast<uint32_t>(u >> 32) ^ static_cast<uint32_t>(static_cast<int32_t>(r) >> 31);
            mivo::PutI64(offsets, static_cast<int64_t>((static_cast<uint64_t>(hi) << 32) | lo));
        } else {
            mivo::PutI32(offsets, static_cast<int32_t>(static_cast<uint32_t>(rel) ^ r));
        }
        if (i < n) off += static_cast<int64_t>(blobs[static_cast<size_t>(i)].size());
    }
    dir += offsets;
    if (flags) {
        for (const auto& e : entries) mivo::PutU8(dir, e.stored ? 1 : 0);
        for (int i = 0; i < n; ++i) mivo::PutI32(dir, 0x5A210000 + i);
        for (size_t i = 0; i < entries.size(); ++i)
            mivo::PutI32(dir, static_cast<int32_t>(mivo::Crc32(blobs[i])));
        if (version >= 102)
            for (int i = 0; i < n; ++i) mivo::PutU8(dir, 0);
    }
    for (const auto& b : blobs) dir += b;
    return dir;
}

}  // namespace fixture
