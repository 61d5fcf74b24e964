// Strings: byte-counting functions and their character-counting J forms.
#include <algorithm>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "script/jstrings.hpp"
#include "script/sysfunc_register.hpp"

namespace mivo::script {

namespace {

int64_t Len(const std::string& s) { return static_cast<int64_t>(s.size()); }

// Bytes [i, i + n) of s (1-based), clipped to the string; i below 1 counts as 1.
std::string ByteCopy(const std::string& s, int64_t i, int64_t n) {
    if (i < 1) i = 1;
    if (i > Len(s) || n <= 0) return {};
    return s.substr(static_cast<size_t>(i - 1), static_cast<size_t>(std::min(n, Len(s) - i + 1)));
}

void LengthF(TFuncCall& c) { c.SetInt(static_cast<int32_t>(c.Str(0).size())); }
void JLengthF(TFuncCall& c) { c.SetInt(static_cast<int32_t>(CharCount(c.Str(0)))); }

void CopyF(TFuncCall& c) {
    std::string s = c.Str(0);
    c.SetStr(ByteCopy(s, c.Int(1), c.Has(2) ? c.Int(2) : Len(s)));
}
void JCopyF(TFuncCall& c) {
    std::string s = c.Str(0);
    c.SetStr(JCopy(s, c.Int(1), c.Has(2) ? c.Int(2) : Len(s)));
}

void DeleteF(TFuncCall& c) {
    std::string s = c.Str(0);
    int64_t i = c.Int(1), n = c.Has(2) ? c.Int(2) : Len(s);
    if (i >= 1 && i <= Len(s) && n > 0) {
        s.erase(static_cast<size_t>(i - 1), static_cast<size_t>(std::min(n, Len(s) - i + 1)));
        c.Arg(0).SetStr(s);
    }
}
void JDeleteF(TFuncCall& c) {
    std::string s = c.Str(0);
    JDelete(s, c.Int(1), c.Has(2) ? c.Int(2) : CharCount(s));
    c.Arg(0).SetStr(s);
}

void InsertF(TFuncCall& c) {
    std::string t = c.Str(0), s = c.Str(1);
    int64_t i = std::clamp<int64_t>(c.Int(2), 1, Len(s) + 1);
    CheckStrLen(Len(s) + Len(t));
    s.insert(static_cast<size_t>(i - 1), t);
    c.Arg(1).SetStr(s);
}
void JInsertF(TFuncCall& c) {
    std::string t = c.Str(0), s = c.Str(1);
    CheckStrLen(Len(s) + Len(t));
    JInsert(t, s, c.Int(2));
    c.Arg(1).SetStr(s);
}

void CompareStrF(TFuncCall& c) {
    std::string a = c.Str(0), b = c.Str(1);
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return c.SetInt(static_cast<uint8_t>(a[i]) - static_cast<uint8_t>(b[i]));
    }
    c.SetInt(static_cast<int32_t>(std::clamp<int64_t>(Len(a) - Len(b), INT32_MIN, INT32_MAX)));
}
void CompareTextF(TFuncCall& c) { c.SetInt(sjis::CompareText(c.Str(0), c.Str(1))); }

void PosF(TFuncCall& c) {
    std::string t = c.Str(0), s = c.Str(1);
    size_t at = t.empty() ? std::string::npos : s.find(t);
    c.SetInt(at == std::string::npos ? 0 : static_cast<int32_t>(at + 1));
}
void JPosF(TFuncCall& c) {
    std::string t = c.Str(0);
    if (t.empty()) throw Error("JPos:検索する文字列が空です");
    c.SetInt(static_cast<int32_t>(JPos(t, c.Str(1))));
}

void TrimF(TFuncCall& c) {
    std::string s = c.Str(0);
    size_t b = 0, e = s.size();
    while (b < e && static_cast<uint8_t>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<uint8_t>(s[e - 1]) <= ' ') --e;
    c.SetStr(s.substr(b, e - b));
}
void JTrimF(TFuncCall& c) { c.SetStr(TrimWide(c.Str(0))); }
void LowerCaseF(TFuncCall& c) { c.SetStr(sjis::LowerCase(c.Str(0))); }
void UpperCaseF(TFuncCall& c) { c.SetStr(sjis::UpperCase(c.Str(0))); }

void StringOfCharF(TFuncCall& c) {
    std::string t = c.Str(0);
    int64_t n = c.Int(1);
    if (n <= 0 || t.empty()) return c.SetStr("");
    CheckStrLen(n * Len(t));
    std::string out;
    out.reserve(static_cast<size_t>(n * Len(t)));
    for (int64_t i = 0; i < n; ++i) out += t;
    c.SetStr(out);
}

void StringReplaceF(TFuncCall& c) {
    std::string s = c.Str(0), old = c.Str(1), repl = c.Str(2);
    bool all = c.Has(3) && c.Bool(3), ignore_case = c.Has(4) && c.Bool(4);
    if (old.empty()) return c.SetStr(s);
    // Case folding keeps byte lengths, so positions found in the folded
    // copies are positions in the originals.
    std::string hay = ignore_case ? sjis::LowerCase(s) : s;
    std::string needle = ignore_case ? sjis::LowerCase(old) : old;
    std::string out;
    size_t from = 0;
    for (;;) {
        size_t at = FindAtCharStart(hay, needle, from);
        if (at == std::string::npos) break;
        out.append(s, from, at - from);
        out += repl;
        CheckStrLen(Len(out));
        from = at + old.size();
        if (!all) break;
    }
    out.append(s, from, std::string::npos);
    c.SetStr(out);
}

void FixStrF(TFuncCall& c) {
    std::string s = c.Str(0);
    if (s.size() >= 2 && sjis::IsLead(s.back()) && !IsTrailByte(s, Len(s))) s.pop_back();
    c.SetStr(s);
}
void HanToZenF(TFuncCall& c) {
    std::string s = c.Str(0);
    CheckStrLen(Len(s) * 2);
    c.SetStr(HanToZen(s));
}
void ZenToHanF(TFuncCall& c) { c.SetStr(ZenToHan(c.Str(0))); }

void AddDelimiterF(TFuncCall& c) {
    std::string d = c.Str(0), s = c.Str(1);
    c.SetStr(s.empty() ? std::string() : s + d);
}

void IsDelimiterF(TFuncCall& c) {
    std::string delimiters = c.Str(0), s = c.Str(1);
    int b = SingleByteAt(s, c.Int(2));
    c.SetBool(b >= 0 && delimiters.find(static_cast<char>(b)) != std::string::npos);
}

}  // namespace

void RegisterStringFunctions(SysFuncHandler* t) {
    SetHandler(t, "Length", LengthF);
    SetHandler(t, "JLength", JLengthF);
    SetHandler(t, "Copy", CopyF);
    SetHandler(t, "JCopy", JCopyF);
    SetHandler(t, "Delete", DeleteF);
    SetHandler(t, "JDelete", JDeleteF);
    SetHandler(t, "Insert", InsertF);
    SetHandler(t, "JInsert", JInsertF);
    SetHandler(t, "CompareStr", CompareStrF);
    SetHandler(t, "CompareText", CompareTextF);
    SetHandler(t, "Pos", PosF);
    SetHandler(t, "JPos", JPosF);
    SetHandler(t, "Trim", TrimF);
    SetHandler(t, "JTrim", JTrimF);
    SetHandler(t, "LowerCase", LowerCaseF);
    SetHandler(t, "UpperCase", UpperCaseF);
    SetHandler(t, "StringOfChar", StringOfCharF);
    SetHandler(t, "StringReplace", StringReplaceF);
    SetHandler(t, "FixStr", FixStrF);
    SetHandler(t, "HanToZen", HanToZenF);
    SetHandler(t, "ZenToHan", ZenToHanF);
    SetHandler(t, "AddDelimiter", AddDelimiterF);
    SetHandler(t, "IsDelimiter", IsDelimiterF);
}

}  // namespace mivo::script
