#include "script/opcodes.hpp"

namespace mivo::script {

namespace {
struct OpInfo {
    const char* name;
    const char* symbol;
};
constexpr OpInfo kOps[] = {
    {"ocNone", ""},      {"ocTo", "="},       {"ocPlus", "+"},     {"ocMinus", "-"},     {"ocMul", "*"},
    {"ocDiv", "/"},      {"ocMod", "%"},      {"ocOr", "|"},       {"ocAnd", "&"},       {"ocXor", "^"},
    {"ocDimTo", "dim"},  {"ocFunc", ""},      {"ocEqual", "=="},   {"ocBig", ">"},       {"ocSmall", "<"},
    {"ocEBig", ">="},    {"ocESmall", "<="},  {"ocShiftL", "<<"},  {"ocShiftR", ">>"},   {"ocComboStr", "++"},
    {"ocNEqual", "<>"},
};
}  // namespace

std::string OpCodeName(uint8_t code) {
    if (code <= ocLast) return kOps[code].name;
    return std::to_string(code);
}

const char* OpCodeSymbol(uint8_t code) { return code <= ocLast ? kOps[code].symbol : ""; }

}  // namespace mivo::script
