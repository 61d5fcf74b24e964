#pragma once
// Value kind codes: one byte in memory, in compiled expressions and in stored
// data.
#include <cstdint>

namespace mivo::script {

enum ParamKind : uint8_t {
    PT_NONE = 0,   // a reference to another variable or one of its elements
    PT_INT = 1,
    PT_FLOAT = 2,
    PT_BOOL = 3,
    PT_STR = 4,
};

// Display names of the kinds (CP932 bytes), "" for PT_NONE.
const char* KindDisplayName(uint8_t kind);

// Bounds on what one parameter may hold. Sizes come from scripts and stored
// data; anything beyond these is refused before it is allocated.
inline constexpr int64_t kMaxElements = 1 << 22;
inline constexpr int32_t kMaxDims = 64;
inline constexpr int64_t kMaxStrLen = 1 << 24;

}  // namespace mivo::script
