#pragma once
// Operation codes of compiled expressions (one byte in the stored form).
#include <cstdint>
#include <string>

namespace mivo::script {

enum OpCode : uint8_t {
    ocNone = 0, ocTo, ocPlus, ocMinus, ocMul, ocDiv, ocMod, ocOr, ocAnd, ocXor, ocDimTo, ocFunc,
    ocEqual, ocBig, ocSmall, ocEBig, ocESmall, ocShiftL, ocShiftR, ocComboStr, ocNEqual,
    ocLast = ocNEqual
};

// "ocTo" ... ; a code outside the table gives its number.
std::string OpCodeName(uint8_t code);
// The source symbol ("=", "+", ..., "dim"); "" for ocNone and ocFunc.
const char* OpCodeSymbol(uint8_t code);

}  // namespace mivo::script
