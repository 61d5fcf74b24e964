#include "script/params.hpp"

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_set>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "data/streams.hpp"
#include "platform/text_encoding.hpp"
#include "script/jstrings.hpp"
#include "script/param_collection.hpp"

namespace mivo::script {

const char* KindDisplayName(uint8_t kind) {
    switch (kind) {
        case PT_INT: return "\x90\xae\x90\x94";          // 整数
        case PT_FLOAT: return "\x8e\xc0\x90\x94";        // 実数
        case PT_BOOL: return "\x83\x74\x83\x89\x83\x4f";  // フラグ
        case PT_STR: return "\x95\xb6\x8e\x9a\x97\xf1";  // 文字列
        default: return "";
    }
}

void ThrowBadIndex(int64_t i) { throw Error("[" + std::to_string(i) + "]:配列の添字が不正です"); }

std::string BadSizesMessage(const std::vector<int32_t>& sizes) {
    std::string list;
    for (size_t k = 0; k < sizes.size(); ++k) list += (k ? "," : "") + std::to_string(sizes[k]);
    return "配列の要素数[" + list + "]が不正です";
}

void ThrowBadSizes(const std::vector<int32_t>& sizes) { throw Error(BadSizesMessage(sizes)); }

void CheckStrLen(int64_t length) {
    if (length > kMaxStrLen) throw Error("文字列が長すぎます(" + std::to_string(length) + "バイト)");
}

int32_t TCustomParam::GetDim(int32_t k) const {
    (void)k;
    return 1;
}

const TCustomParam* TCustomParam::Underlying(int64_t* offset) const {
    const TCustomParam* p = this;
    int64_t off = 0;
    // A reference chain is short (a reference to an element reference at
    // most); a longer one can only come from a loop in loaded data.
    for (int depth = 0; depth < 16 && p; ++depth) {
        const TCustomParam* next = p->Forward(&off);
        if (next == p) {
            if (offset) *offset = off;
            return p;
        }
        p = next;
    }
    return nullptr;
}

// ---- value classes -------------------------------------------------------

namespace {

template <class T>
void WriteElement(TStream& s, const T& v);
template <>
void WriteElement(TStream& s, const int32_t& v) { WriteInt32(s, v); }
template <>
void WriteElement(TStream& s, const long double& v) { WriteExtendedValue(s, v); }
template <>
void WriteElement(TStream& s, const Flag& v) { WriteByte(s, static_cast<uint8_t>(v)); }
template <>
void WriteElement(TStream& s, const std::string& v) { WriteStr(s, v); }

template <class T>
T ReadElement(TStream& s);
template <>
int32_t ReadElement(TStream& s) { return ReadInt32(s); }
template <>
long double ReadElement(TStream& s) { return ReadExtendedValue(s); }
template <>
Flag ReadElement(TStream& s) { return ReadByte(s) ? Flag::True : Flag::False; }
template <>
std::string ReadElement(TStream& s) { return ReadStr(s, kMaxStrLen); }

template <class T>
constexpr int64_t kMinStoredSize = std::is_same_v<T, long double> ? 10 : std::is_same_v<T, Flag> ? 1 : 4;

int64_t Remaining(TStream& s) { return s.Size() - s.Position(); }

bool SameElement(const std::string& a, const std::string& b) { return a == b; }
template <class T>
bool SameElement(const T& a, const T& b) { return a == b; }

}  // namespace

namespace {
// Reads dimCount and dims of a stored record, refusing counts the remaining
// data cannot hold.
std::vector<int32_t> ReadDimsRecord(TStream& s) {
    int32_t n = ReadInt32(s);
    if (n < 0 || n > kMaxDims || int64_t{n} * 4 > Remaining(s))
        throw FormatError("variable record: bad dimension count " + std::to_string(n));
    std::vector<int32_t> dims(static_cast<size_t>(n));
    for (int32_t& d : dims) d = ReadInt32(s);
    return dims;
}

}  // namespace

void CopyElement(TCustomParam& dst, int64_t j, const TCustomParam& src, int64_t i) {
    switch (dst.GetKind()) {
        case PT_INT: dst.SetIntAt(j, src.GetIntAt(i)); break;
        case PT_FLOAT: dst.SetFloatAt(j, src.GetFloatAt(i)); break;
        case PT_BOOL: dst.SetBoolAt(j, src.GetBoolAt(i)); break;
        case PT_STR: dst.SetStrAt(j, src.GetStrAt(i)); break;
        default: break;
    }
}

template <class T, uint8_t K>
void TParamValues<T, K>::SetCount(int64_t n) {
    if (n < 0 || n > kMaxElements) ThrowBadSizes({static_cast<int32_t>(std::clamp<int64_t>(n, INT32_MIN, INT32_MAX))});
    values_.resize(static_cast<size_t>(n));
}

template <class T, uint8_t K>
int32_t TParamValues<T, K>::GetDim(int32_t k) const {
    if (dims_.empty() || k < 0 || k >= static_cast<int32_t>(dims_.size())) return 1;
    return dims_[static_cast<size_t>(k)];
}

template <class T, uint8_t K>
void TParamValues<T, K>::SetDims(const std::vector<int32_t>& sizes) {
    if (sizes.empty() || sizes.size() > static_cast<size_t>(kMaxDims)) ThrowBadSizes(sizes);
    int64_t product = 1;
    for (int32_t d : sizes) {
        if (d <= 0) ThrowBadSizes(sizes);
        product *= d;
        if (product > kMaxElements) ThrowBadSizes(sizes);
    }
    dims_ = sizes;
    values_.resize(static_cast<size_t>(product));
}

template <class T, uint8_t K>
void TParamValues<T, K>::ClearDims() {
    if (dims_.empty()) {
        if (values_.empty()) values_.resize(1);
        return;
    }
    dims_.clear();
    values_.resize(1);
}

template <class T, uint8_t K>
void TParamValues<T, K>::AssignValue(const TCustomParam& p) {
    if (auto* same = dynamic_cast<const TParamValues*>(&p)) {
        dims_ = same->dims_;
        values_ = same->values_;
        return;
    }
    AssignConverted(*this, p);
}

template <class T, uint8_t K>
void TParamValues<T, K>::CopyFrom(const TCustomParam& p) {
    int64_t off = 0;
    const TCustomParam* src = p.Underlying(&off);
    auto* same = dynamic_cast<const TParamValues*>(src);
    if (!same) throw Error("CopyMem:変数の型があいません");
    if (same == this) return;
    dims_ = same->dims_;
    values_ = same->values_;
}

template <class T, uint8_t K>
void TParamValues<T, K>::SaveToStream(TStream& s) const {
    WriteInt32(s, static_cast<int32_t>(dims_.size()));
    for (int32_t d : dims_) WriteInt32(s, d);
    WriteInt32(s, static_cast<int32_t>(values_.size()));
    for (const T& v : values_) WriteElement(s, v);
}

template <class T, uint8_t K>
void TParamValues<T, K>::LoadFromStream(TStream& s, TParamCollection*) {
    std::vector<int32_t> dims = ReadDimsRecord(s);
    int32_t count = ReadInt32(s);
    if (count < 0 || count > kMaxElements || count * kMinStoredSize<T> > Remaining(s))
        throw FormatError("variable record: " + BadSizesMessage({count}));
    // The element count must agree with the dims, so that every element the
    // dims promise exists.
    int64_t product = 1;
    for (int32_t d : dims) {
        if (d < 0) throw FormatError("variable record: " + BadSizesMessage(dims));
        product *= d;
        if (product > kMaxElements) throw FormatError("variable record: " + BadSizesMessage(dims));
    }
    bool empty_array = count == 0 && (dims.empty() || (dims.size() == 1 && dims[0] == 0));
    if (!empty_array && ((dims.empty() && count != 1) || (!dims.empty() && product != count)))
        throw FormatError("variable record: " + std::to_string(count) + " elements for " + BadSizesMessage(dims));
    if (!empty_array && product == 0) throw FormatError("variable record: " + BadSizesMessage(dims));
    std::vector<T> values;
    values.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) values.push_back(ReadElement<T>(s));
    values_ = std::move(values);
    dims_ = empty_array ? std::vector<int32_t>{0} : std::move(dims);
}

template <class T, uint8_t K>
void TParamValues<T, K>::Unique() {
    std::vector<T> kept;
    if constexpr (std::is_same_v<T, long double>) {
        std::set<long double> seen;
        for (const T& v : values_) {
            if (std::isnan(v) || seen.insert(v).second) kept.push_back(v);
        }
    } else if constexpr (std::is_same_v<T, Flag>) {
        bool seen[2] = {false, false};
        for (const T& v : values_) {
            bool& s = seen[v == Flag::True];
            if (!s) kept.push_back(v), s = true;
        }
    } else {
        std::unordered_set<T> seen;
        for (const T& v : values_)
            if (seen.insert(v).second) kept.push_back(v);
    }
    values_ = std::move(kept);
    if (!dims_.empty()) dims_.assign(1, static_cast<int32_t>(values_.size()));
}

template <class T, uint8_t K>
void TParamValues<T, K>::RemoveValue(const TCustomParam* p) {
    T probe{};
    if (p) {
        if constexpr (std::is_same_v<T, int32_t>) probe = p->AsInt();
        else if constexpr (std::is_same_v<T, long double>) probe = p->AsFloat();
        else if constexpr (std::is_same_v<T, Flag>) probe = ToFlag(p->AsBool());
        else probe = p->AsStr();
    }
    std::vector<T> kept;
    for (const T& v : values_)
        if (!SameElement(v, probe)) kept.push_back(v);
    values_ = std::move(kept);
    // Dims follow the element count: a one-dimensional array of the kept
    // elements, or the empty array.
    if (values_.empty()) dims_.assign(1, 0);
    else if (!dims_.empty()) dims_.assign(1, static_cast<int32_t>(values_.size()));
    else if (values_.size() != 1) dims_.assign(1, static_cast<int32_t>(values_.size()));
}

template <class T, uint8_t K>
int32_t TParamValues<T, K>::FindStr(const std::string& s, bool case_sensitive, bool partial) const {
    std::string needle = (partial && !case_sensitive) ? sjis::LowerCase(s) : s;
    for (size_t i = 0; i < values_.size(); ++i) {
        std::string e = ToStr(values_[i]);
        bool match;
        if (partial) {
            if (!case_sensitive) e = sjis::LowerCase(e);
            match = needle.empty() || JPos(needle, e) > 0;
        } else if (case_sensitive) {
            match = e == s;
        } else {
            match = sjis::SameText(e, s);
        }
        if (match) return static_cast<int32_t>(i);
    }
    return -1;
}

template class TParamValues<int32_t, PT_INT>;
template class TParamValues<long double, PT_FLOAT>;
template class TParamValues<Flag, PT_BOOL>;
template class TParamValues<std::string, PT_STR>;

// ---- references ----------------------------------------------------------

const TCustomParam* TParamVar::Forward(int64_t* offset) const {
    if (!Target || !Target->Param) return nullptr;
    *offset += ElementIndex;
    return Target->Param.get();
}

TCustomParam* TParamVar::Whole() const {
    return const_cast<TCustomParam*>(Underlying(nullptr));
}

void TParamVar::Bind(TParamCollectionItem* item) {
    Target = item;
    if (item) {
        if (auto* inner = item->Param->AsRef(); inner && inner->Target) {
            Target = inner->Target;
            ElementIndex = inner->ElementIndex;
            IsElement = inner->IsElement;
        }
    }
}

template <class T>
using ParamOf = std::conditional_t<std::is_same_v<T, std::string>, const std::string&, T>;

#define MIVO_FORWARD_AT(Get, Set, Type, Default)                              \
    Type TParamVar::Get(int64_t i) const {                                    \
        int64_t off = 0;                                                      \
        const TCustomParam* p = Underlying(&off);                             \
        return p ? p->Get(off + i) : Default;                                 \
    }                                                                         \
    void TParamVar::Set(int64_t i, ParamOf<Type> v) {                         \
        int64_t off = 0;                                                      \
        if (TCustomParam* p = Underlying(&off)) p->Set(off + i, v);           \
    }

#define MIVO_FORWARD_SCALAR(As, Set, GetAt, SetAt, Type, Default)         \
    Type TParamVar::As() const {                                          \
        if (IsElement) return GetAt(0);                                   \
        TCustomParam* p = Whole();                                        \
        return p ? p->As() : Default;                                     \
    }                                                                     \
    void TParamVar::Set(ParamOf<Type> v) {                                \
        if (IsElement) return SetAt(0, v);                                \
        if (TCustomParam* p = Whole()) p->Set(v);                         \
    }

MIVO_FORWARD_SCALAR(AsInt, SetInt, GetIntAt, SetIntAt, int32_t, 0)
MIVO_FORWARD_SCALAR(AsFloat, SetFloat, GetFloatAt, SetFloatAt, long double, 0)
MIVO_FORWARD_SCALAR(AsBool, SetBool, GetBoolAt, SetBoolAt, bool, false)
MIVO_FORWARD_SCALAR(AsStr, SetStr, GetStrAt, SetStrAt, std::string, std::string())
#undef MIVO_FORWARD_SCALAR

MIVO_FORWARD_AT(GetIntAt, SetIntAt, int32_t, 0)
MIVO_FORWARD_AT(GetFloatAt, SetFloatAt, long double, 0)
MIVO_FORWARD_AT(GetBoolAt, SetBoolAt, bool, false)
MIVO_FORWARD_AT(GetStrAt, SetStrAt, std::string, std::string())
#undef MIVO_FORWARD_AT

int32_t TParamVar::GetCount() const {
    TCustomParam* p = Whole();
    return p ? p->GetCount() : 1;
}
void TParamVar::SetCount(int64_t n) {
    if (TCustomParam* p = Whole()) p->SetCount(n);
}
uint8_t TParamVar::GetKind() const {
    TCustomParam* p = Whole();
    return p ? p->GetKind() : uint8_t{PT_NONE};
}
int32_t TParamVar::GetDimCount() const {
    TCustomParam* p = Whole();
    return p ? p->GetDimCount() : 1;
}
int32_t TParamVar::GetDim(int32_t k) const {
    TCustomParam* p = Whole();
    return p ? p->GetDim(k) : 1;
}
std::vector<int32_t> TParamVar::Dims() const {
    TCustomParam* p = Whole();
    return p ? p->Dims() : std::vector<int32_t>{};
}
void TParamVar::SetDims(const std::vector<int32_t>& sizes) {
    if (TCustomParam* p = Whole()) p->SetDims(sizes);
}
void TParamVar::FillInt(int32_t n) {
    if (TCustomParam* p = Whole()) p->FillInt(n);
}
void TParamVar::FillFloat(long double x) {
    if (TCustomParam* p = Whole()) p->FillFloat(x);
}
void TParamVar::FillBool(bool b) {
    if (TCustomParam* p = Whole()) p->FillBool(b);
}
void TParamVar::FillStr(const std::string& s) {
    if (TCustomParam* p = Whole()) p->FillStr(s);
}
void TParamVar::CopyFrom(const TCustomParam& src) {
    if (TCustomParam* p = Whole()) p->CopyFrom(src);
}
void TParamVar::AssignValue(const TCustomParam& src) {
    if (TCustomParam* p = Whole()) p->AssignValue(src);
}
void TParamVar::ClearDims() {
    if (TCustomParam* p = Whole()) p->ClearDims();
}
void TParamVar::Unique() {
    if (TCustomParam* p = Whole()) p->Unique();
}
void TParamVar::RemoveValue(const TCustomParam* v) {
    if (TCustomParam* p = Whole()) p->RemoveValue(v);
}
int32_t TParamVar::FindStr(const std::string& s, bool case_sensitive, bool partial) const {
    TCustomParam* p = Whole();
    return p ? p->FindStr(s, case_sensitive, partial) : -1;
}
void TParamVar::MakeEmpty() {
    if (TCustomParam* p = Whole()) p->MakeEmpty();
}

void TParamVar::SaveToStream(TStream& s) const {
    WriteInt32(s, 0);
    WriteStr(s, Name);
    WriteStr(s, Target ? Target->Name() : std::string());
    WriteByte(s, Flag);
    WriteInt32(s, ElementIndex);
}

void TParamVar::LoadFromStream(TStream& s, TParamCollection* owner) {
    ReadDimsRecord(s);
    Name = ReadStr(s, kMaxStrLen);
    std::string target = ReadStr(s, kMaxStrLen);
    Flag = ReadByte(s);
    ElementIndex = ReadInt32(s);
    IsElement = ElementIndex != 0;
    Target = (owner && !target.empty()) ? owner->Find(target) : nullptr;
}

// ---- helpers -------------------------------------------------------------

std::unique_ptr<TCustomParam> MakeParam(uint8_t kind) {
    switch (kind & 0x7F) {
        case PT_NONE: return std::make_unique<TParamVar>();
        case PT_INT: return std::make_unique<TParamInt>();
        case PT_FLOAT: return std::make_unique<TParamFloat>();
        case PT_BOOL: return std::make_unique<TParamFlag>();
        case PT_STR: return std::make_unique<TParamStr>();
        default: return nullptr;
    }
}

void AssignConverted(TCustomParam& dst, const TCustomParam& src) {
    uint8_t kind = dst.GetKind();
    if (kind == PT_NONE) return;
    int64_t count = src.GetCount();
    if (count == 0) {
        dst.MakeEmpty();
        return;
    }
    std::vector<int32_t> sizes;
    for (int32_t k = 0; k < src.GetDimCount(); ++k) sizes.push_back(src.GetDim(k));
    dst.SetDims(sizes);
    count = std::min<int64_t>(count, dst.GetCount());
    for (int64_t i = 0; i < count; ++i) CopyElement(dst, i, src, i);
}

std::unique_ptr<TCustomParam> CloneValue(const TCustomParam& src) {
    uint8_t kind = src.GetKind();
    if (kind == PT_NONE) return nullptr;
    auto out = MakeParam(kind);
    int64_t off = 0;
    const TCustomParam* under = src.Underlying(&off);
    if (under && under->ClassKind() == kind && off == 0) {
        out->AssignValue(*under);
        return out;
    }
    // System variables and element references: element by element.
    if (src.GetCount() == 0) {
        out->MakeEmpty();
        return out;
    }
    std::vector<int32_t> dims = src.Dims();
    if (!dims.empty()) {
        out->SetDims(dims);
        for (int64_t i = 0; i < out->GetCount(); ++i) CopyElement(*out, i, src, i);
    } else {
        switch (kind) {
            case PT_INT: out->SetInt(src.AsInt()); break;
            case PT_FLOAT: out->SetFloat(src.AsFloat()); break;
            case PT_BOOL: out->SetBool(src.AsBool()); break;
            default: out->SetStr(src.AsStr()); break;
        }
    }
    return out;
}

}  // namespace mivo::script
