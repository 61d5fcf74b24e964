#pragma once
// The record layout of every command code: which fields follow the common
// header, in order, and from which page version each is present. One table
// drives loading, writing, dumping and assembling pages.
#include <cstdint>
#include <vector>

namespace mivo {

enum class FieldKind : uint8_t {
    Str,       // string
    I32,       // int32
    U8,        // byte
    Expr,      // one stored expression
    ExprList,  // int32 n, then n expressions
    Bytes,     // int32 n, then n bytes (a compiled text block)
    Props,     // one expression per property bit set in the page's mask for the code
};

struct FieldSpec {
    FieldKind kind;
    const char* name;      // the name in the readable page source
    int32_t since = 0;     // present in pages of this version and later
    bool target = false;   // an I32 that is a command index (jumps, loops)
};

struct CommandSpec {
    const char* name;     // English name, also the word in page sources
    const char* display;  // the authoring tool's Japanese name (UTF-8)
    std::vector<FieldSpec> fields;
};

inline constexpr int kCommandCodes = 61;
inline constexpr int kPropertyCount = 166;
inline constexpr int kMaskBytes = 21;

enum CommandCode : uint8_t {
    cmIf = 0, cmElseif, cmElse, cmLabel, cmJump, cmCall, cmExit, cmWait, cmBoxNew, cmImgNew,
    cmMesNew, cmTimer, cmMovie, cmFlip, cmCalc, cmVarNew, cmVarDel, cmGetProp, cmSetProp, cmObjDel,
    cmTextIns, cmMovieStop, cmClrHist, cmCinema, cmCaption, cmMenu, cmMenuClose, cmComment, cmTextClr,
    cmCallHist, cmButton, cmWhile, cmWhileInit, cmWhileLoop, cmBreak, cmContinue, cmParticleNew,
    cmFireNew, cmGameSave, cmGameLoad, cmPCReset, cmReset, cmSound, cmEditNew, cmMemoNew,
    cmTerminate, cmDoEvent, cmClrRead, cmMapImgNew, cmWaveNew, cmTileNew, cmSliderNew,
    cmScrollbarNew, cmGaugeNew, cmCGCaption, cmMediaPlay, cmPrevMenuNew, cmPropMotion, cmFormatHist,
    cmSaveCabinet, cmLoadCabinet,
};

const CommandSpec& CommandSpecOf(int code);
// Code of a command name (case-sensitive); -1 when none.
int CommandCodeOf(const char* name);

}  // namespace mivo
