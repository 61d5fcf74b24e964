#include "core/byte_reader.hpp"

#include <cstdio>

namespace mivo {

void ByteReader::Fail(const std::string& what) const {
    char where[32];
    std::snprintf(where, sizeof where, "0x%zx", pos_);
    throw FormatError(source_ + ": " + what + " at offset " + where);
}

void PutU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }
void PutI32(std::string& out, int32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i)));
}
void PutI64(std::string& out, int64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(static_cast<uint64_t>(v) >> (8 * i)));
}
void PutStr(std::string& out, std::string_view s) {
    PutI32(out, static_cast<int32_t>(s.size()));
    out.append(s);
}

}  // namespace mivo
