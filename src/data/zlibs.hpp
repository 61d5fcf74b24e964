#pragma once
// zlib streams as the stored formats use them: deflate, inflate with a cap on
// what a corrupt or hostile stream may produce, and the zlib CRC-32.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mivo {

std::string DeflateBytes(std::string_view data, int level);
// Inflates one zlib stream. Raises a FormatError naming `source` when the
// stream is corrupt, truncated, or would exceed max_out bytes.
std::string InflateBytes(std::string_view data, size_t max_out, const std::string& source);
// The most a deflate stream of n bytes can legitimately expand to, bounded.
size_t InflateLimit(size_t n);
uint32_t Crc32(std::string_view data, uint32_t crc = 0);

}  // namespace mivo
