// Array functions. The first argument names an array variable; arrays they
// shrink keep dims that match their element count.
#include <algorithm>
#include <cmath>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "script/jstrings.hpp"
#include "script/sysfunc_register.hpp"

namespace mivo::script {

namespace {

// A snapshot, so that an array may be combined with itself.
std::unique_ptr<TCustomParam> Snapshot(const TCustomParam& p) {
    auto copy = CloneValue(p);
    if (!copy) copy = std::make_unique<TParamInt>();
    return copy;
}

void GetArraySizeF(TFuncCall& c) {
    TCustomParam& a = c.Var(0);
    if (!c.Has(1)) return c.SetInt(a.GetCount());
    c.SetInt(a.GetDim(a.GetDimCount() - 1 - c.Int(1)));
}

void SetArrayF(TFuncCall& c) {
    TCustomParam& a = c.Var(0);
    std::vector<int32_t> sizes;
    for (size_t i = 1; i < c.Count(); ++i) sizes.push_back(c.Int(i));
    a.SetDims(sizes);
}

void FillMemF(TCustomParam& a, const TCustomParam& v) {
    switch (a.GetKind()) {
        case PT_INT: a.FillInt(v.AsInt()); break;
        case PT_FLOAT: a.FillFloat(v.AsFloat()); break;
        case PT_BOOL: a.FillBool(v.AsBool()); break;
        case PT_STR: a.FillStr(v.AsStr()); break;
        default: break;
    }
}
void FillMemF(TFuncCall& c) { FillMemF(c.Var(0), c.Arg(1)); }

void CopyMemF(TFuncCall& c) {
    TCustomParam& dst = c.Var(0);
    TCustomParam& src = c.Var(1);
    if (dst.GetKind() != src.GetKind()) throw Error("CopyMem:変数の型があいません");
    dst.CopyFrom(src);
}

void CopyArrayF(TFuncCall& c) {
    TCustomParam& dst = c.Var(0);
    auto src = Snapshot(c.Arg(1));
    AssignConverted(dst, *src);
    c.SetBool(true);
}

// Inserts src's elements into the one-dimensional dst before position at.
int32_t InsertElements(TCustomParam& dst, int64_t at, const TCustomParam& src_param) {
    if (dst.GetDimCount() > 1 || src_param.GetDimCount() > 1) return dst.GetCount();
    auto old = Snapshot(dst);
    auto src = Snapshot(src_param);
    int64_t nd = old->GetCount(), ns = src->GetCount(), n = nd + ns;
    if (ns == 0) return static_cast<int32_t>(nd);
    if (n > kMaxElements) ThrowBadSizes({static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX))});
    at = std::clamp<int64_t>(at, 0, nd);
    dst.SetDims({static_cast<int32_t>(n)});
    for (int64_t j = 0; j < ns; ++j) CopyElement(dst, at + j, *src, j);
    for (int64_t j = at; j < nd; ++j) CopyElement(dst, j + ns, *old, j);
    return static_cast<int32_t>(n);
}

void AddArrayF(TFuncCall& c) {
    TCustomParam& dst = c.Var(0);
    c.SetInt(InsertElements(dst, dst.GetCount(), c.Arg(1)));
}
void InsertArrayF(TFuncCall& c) { c.SetInt(InsertElements(c.Var(0), c.Int(1), c.Arg(2))); }

void DeleteArrayF(TFuncCall& c) {
    TCustomParam& a = c.Var(0);
    int64_t count = a.GetCount();
    if (a.GetDimCount() != 1 || count == 0) return c.SetInt(static_cast<int32_t>(count));
    int64_t i = std::clamp<int64_t>(c.Int(1), 0, count - 1);
    int64_t n = std::clamp<int64_t>(c.Int(2), 0, count - i);
    // An array keeps at least one element: removing all of them fails like
    // dimensioning to zero does, and changes nothing.
    if (n == count) ThrowBadSizes({0});
    for (int64_t k = i; k + n < count; ++k) CopyElement(a, k, a, k + n);
    a.SetDims({static_cast<int32_t>(count - n)});
    c.SetInt(static_cast<int32_t>(count - n));
}

void ArrayToStringF(TFuncCall& c) {
    TCustomParam& a = c.Var(0);
    std::string d = c.Has(1) ? c.Str(1) : "\r\n";
    std::string out;
    for (int64_t i = 0; i < a.GetCount(); ++i) {
        if (i) out += d;
        out += a.GetStrAt(i);
        CheckStrLen(static_cast<int64_t>(out.size()));
    }
    c.SetStr(out);
}

std::vector<std::string> SplitLines(const std::string& s) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < s.size()) {
        size_t end = s.find_first_of("\r\n", from);
        if (end == std::string::npos) {
            lines.push_back(s.substr(from));
            break;
        }
        lines.push_back(s.substr(from, end - from));
        from = end + ((s[end] == '\r' && end + 1 < s.size() && s[end + 1] == '\n') ? 2 : 1);
        if (static_cast<int64_t>(lines.size()) > kMaxElements) ThrowBadSizes({INT32_MAX});
    }
    return lines;
}

std::vector<std::string> SplitAtAny(std::string s, const std::string& separators) {
    std::vector<std::string> pieces;
    while (!s.empty()) {
        pieces.push_back(CutToken(s, separators));
        if (static_cast<int64_t>(pieces.size()) > kMaxElements) ThrowBadSizes({INT32_MAX});
    }
    return pieces;
}

void StringToArrayF(TFuncCall& c) {
    std::string s = c.Str(0);
    TCustomParam& a = c.Var(1);
    std::string d = c.Has(2) ? c.Str(2) : "\r\n";
    std::vector<std::string> pieces = d == "\r\n" ? SplitLines(s) : SplitAtAny(s, d);
    if (pieces.empty()) return a.SetStr("");
    a.SetDims({static_cast<int32_t>(pieces.size())});
    for (size_t i = 0; i < pieces.size(); ++i) a.SetStrAt(static_cast<int64_t>(i), pieces[i]);
}

void IndexOfStrF(TFuncCall& c) {
    TCustomParam& a = c.Var(0);
    bool case_sensitive = c.Has(2) ? c.Bool(2) : true;
    bool partial = c.Has(3) && c.Bool(3);
    c.SetInt(a.FindStr(c.Str(1), case_sensitive, partial));
}

// The order people expect of a list of names: letters compare without
// regard to case first ("apple" before "Banana"), and only words that differ
// in case alone put the lower-case one first. Double-byte characters compare
// by their codes; second bytes are never folded.
bool TextOrderLess(const std::string& a, const std::string& b) {
    int folded = sjis::CompareText(a, b);
    if (folded != 0) return folded < 0;
    for (size_t i = 0; i < a.size() && i < b.size(); i += sjis::CharLen(a, i)) {
        if (a[i] != b[i]) return a[i] > b[i];  // 'a' (0x61) before 'A' (0x41)
    }
    return false;
}

void SortStrF(TFuncCall& c) {
    TCustomParam& a = c.Var(0);
    bool descending = c.Has(1) && c.Bool(1);
    bool numeric = c.Has(2) && c.Bool(2);
    int64_t n = a.GetCount();
    if (numeric) {
        std::vector<long double> v;
        for (int64_t i = 0; i < n; ++i) v.push_back(a.GetFloatAt(i));
        // NaN sorts after every number, so the order stays a total order.
        auto less = [](long double x, long double y) {
            if (std::isnan(x)) return false;
            return std::isnan(y) || x < y;
        };
        std::sort(v.begin(), v.end(), less);
        if (descending) std::reverse(v.begin(), v.end());
        for (int64_t i = 0; i < n; ++i) a.SetFloatAt(i, v[static_cast<size_t>(i)]);
        return;
    }
    std::vector<std::string> v;
    for (int64_t i = 0; i < n; ++i) v.push_back(a.GetStrAt(i));
    std::sort(v.begin(), v.end(), TextOrderLess);
    if (descending) std::reverse(v.begin(), v.end());
    for (int64_t i = 0; i < n; ++i) a.SetStrAt(i, v[static_cast<size_t>(i)]);
}

void UniqueArrayF(TFuncCall& c) {
    TCustomParam& a = c.Var(0);
    if (a.GetDimCount() == 1) a.Unique();
    c.SetInt(a.GetCount());
}

void TrimArrayF(TFuncCall& c) {
    TCustomParam& a = c.Var(0);
    if (a.GetDimCount() == 1) a.RemoveValue(c.Has(1) ? &c.Arg(1) : nullptr);
    c.SetInt(a.GetCount());
}

}  // namespace

void RegisterArrayFunctions(SysFuncHandler* t) {
    SetHandler(t, "GetArraySize", GetArraySizeF);
    SetHandler(t, "SetArray", SetArrayF);
    SetHandler(t, "FillMem", static_cast<SysFuncHandler>(FillMemF));
    SetHandler(t, "CopyMem", CopyMemF);
    SetHandler(t, "CopyArray", CopyArrayF);
    SetHandler(t, "AddArray", AddArrayF);
    SetHandler(t, "InsertArray", InsertArrayF);
    SetHandler(t, "DeleteArray", DeleteArrayF);
    SetHandler(t, "ArrayToString", ArrayToStringF);
    SetHandler(t, "StringToArray", StringToArrayF);
    SetHandler(t, "IndexOfStr", IndexOfStrF);
    SetHandler(t, "SortStr", SortStrF);
    SetHandler(t, "UniqueArray", UniqueArrayF);
    SetHandler(t, "TrimArray", TrimArrayF);
}

}  // namespace mivo::script
