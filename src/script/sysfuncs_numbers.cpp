// Numbers and conversions.
#include <cmath>
#include <limits>

#include "core/error.hpp"
#include "script/sysfunc_register.hpp"

namespace mivo::script {

namespace {

[[noreturn]] void FailNumeric(const char* what) { throw Error(what); }

std::string PadDigits(int32_t n, int64_t width, bool hex) {
    uint32_t magnitude = hex ? static_cast<uint32_t>(n)
                             : (n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n));
    std::string digits;
    do {
        unsigned d = magnitude % (hex ? 16 : 10);
        digits.insert(digits.begin(), static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10));
        magnitude /= hex ? 16 : 10;
    } while (magnitude);
    CheckStrLen(width);
    if (static_cast<int64_t>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return (!hex && n < 0) ? "-" + digits : digits;
}

void IntToStrF(TFuncCall& c) {
    if (!c.Has(1)) return c.SetStr(IntToStr(c.Int(0)));
    // The width goes into a "%.<w>d" pattern: it must be plain digits.
    std::string w = c.Str(1);
    bool digits = !w.empty() && w.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || w.size() > 9) FailNumeric("IntToStr:桁数が不正です");
    c.SetStr(PadDigits(c.Int(0), std::stol(w), false));
}

void IntToHexF(TFuncCall& c) { c.SetStr(PadDigits(c.Int(0), c.Int(1), true)); }
void IntF(TFuncCall& c) { c.SetInt(FloatToInt(std::trunc(c.Float(0)))); }
void FloatF(TFuncCall& c) { c.SetFloat(c.Float(0)); }
void SinF(TFuncCall& c) { c.SetFloat(std::sin(c.Float(0))); }
void CosF(TFuncCall& c) { c.SetFloat(std::cos(c.Float(0))); }
void TanF(TFuncCall& c) { c.SetFloat(std::tan(c.Float(0))); }
void ArcSinF(TFuncCall& c) {
    long double x = c.Float(0);
    if (!(x >= -1 && x <= 1)) FailNumeric("ArcSin:引数が範囲外です");
    c.SetFloat(std::asin(x));
}
void ArcCosF(TFuncCall& c) {
    long double x = c.Float(0);
    if (!(x >= -1 && x <= 1)) FailNumeric("ArcCos:引数が範囲外です");
    c.SetFloat(std::acos(x));
}
void ArcTanF(TFuncCall& c) { c.SetFloat(std::atan(c.Float(0))); }
void ArcTan2F(TFuncCall& c) { c.SetFloat(std::atan2(c.Float(0), c.Float(1))); }
void HypotF(TFuncCall& c) { c.SetFloat(std::hypot(c.Float(0), c.Float(1))); }
void AbsF(TFuncCall& c) {
    int32_t n = c.Int(0);
    c.SetInt(n == std::numeric_limits<int32_t>::min() ? n : std::abs(n));
}
void FabsF(TFuncCall& c) { c.SetFloat(std::fabs(c.Float(0))); }
void MinF(TFuncCall& c) { c.SetInt(std::min(c.Int(0), c.Int(1))); }
void MaxF(TFuncCall& c) { c.SetInt(std::max(c.Int(0), c.Int(1))); }
void FminF(TFuncCall& c) { c.SetFloat(std::min(c.Float(0), c.Float(1))); }
void FmaxF(TFuncCall& c) { c.SetFloat(std::max(c.Float(0), c.Float(1))); }
void RandomF(TFuncCall& c) { c.SetInt(c.man.Random(c.Int(0))); }
void StrToIntDefF(TFuncCall& c) { c.SetInt(TryStrToInt(c.Str(0)).value_or(c.Int(1))); }
void StrToFloatDefF(TFuncCall& c) { c.SetFloat(TryStrToFloat(c.Str(0)).value_or(c.Float(1))); }
void ChrF(TFuncCall& c) { c.SetStr(std::string(1, static_cast<char>(c.Int(0) & 0xFF))); }
void OrdF(TFuncCall& c) {
    std::string s = c.Str(0);
    c.SetInt(s.empty() ? 0 : static_cast<uint8_t>(s[0]));
}
void NotF(TFuncCall& c) { c.SetBool(!c.Bool(0)); }
void GetVarTypeF(TFuncCall& c) { c.SetInt(c.Arg(0).GetKind()); }

}  // namespace

void RegisterNumberFunctions(SysFuncHandler* t) {
    SetHandler(t, "IntToStr", IntToStrF);
    SetHandler(t, "IntToHex", IntToHexF);
    SetHandler(t, "Int", IntF);
    SetHandler(t, "Float", FloatF);
    SetHandler(t, "Sin", SinF);
    SetHandler(t, "Cos", CosF);
    SetHandler(t, "Tan", TanF);
    SetHandler(t, "ArcSin", ArcSinF);
    SetHandler(t, "ArcCos", ArcCosF);
    SetHandler(t, "ArcTan", ArcTanF);
    SetHandler(t, "ArcTan2", ArcTan2F);
    SetHandler(t, "Hypot", HypotF);
    SetHandler(t, "Abs", AbsF);
    SetHandler(t, "Fabs", FabsF);
    SetHandler(t, "Min", MinF);
    SetHandler(t, "Max", MaxF);
    SetHandler(t, "Fmin", FminF);
    SetHandler(t, "Fmax", FmaxF);
    SetHandler(t, "Random", RandomF);
    SetHandler(t, "StrToIntDef", StrToIntDefF);
    SetHandler(t, "StrToFloatDef", StrToFloatDefF);
    SetHandler(t, "Chr", ChrF);
    SetHandler(t, "Ord", OrdF);
    SetHandler(t, "Not", NotF);
    SetHandler(t, "GetVarType", GetVarTypeF);
}

}  // namespace mivo::script
