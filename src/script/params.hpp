#pragma once
// Parameters: every value the script language handles. A parameter holds one
// value or a multi-dimensional array of values of one kind; references and
// system variables forward to what they stand for.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/conversions.hpp"
#include "script/param_kinds.hpp"

namespace mivo {
class TStream;
}

namespace mivo::script {

class TParamCollection;
class TParamCollectionItem;
class TParamVar;

class TCustomParam {
public:
    virtual ~TCustomParam() = default;

    virtual int32_t GetCount() const { return 1; }
    virtual void SetCount(int64_t) {}
    virtual uint8_t GetKind() const { return PT_NONE; }
    // The kind of the class itself (what a stored record calls it): PT_NONE
    // for references, the value kind for the others.
    virtual uint8_t ClassKind() const { return PT_NONE; }

    virtual bool AsBool() const { return false; }
    virtual long double AsFloat() const { return 0; }
    virtual int32_t AsInt() const { return 0; }
    virtual std::string AsStr() const { return {}; }
    virtual void SetBool(bool) {}
    virtual void SetFloat(long double) {}
    virtual void SetInt(int32_t) {}
    virtual void SetStr(const std::string&) {}

    virtual int32_t GetIntAt(int64_t) const { return 0; }
    virtual void SetIntAt(int64_t, int32_t) {}
    virtual long double GetFloatAt(int64_t) const { return 0; }
    virtual void SetFloatAt(int64_t, long double) {}
    virtual bool GetBoolAt(int64_t) const { return false; }
    virtual void SetBoolAt(int64_t, bool) {}
    virtual std::string GetStrAt(int64_t) const { return {}; }
    virtual void SetStrAt(int64_t, const std::string&) {}

    virtual int32_t GetDimCount() const { return 1; }
    virtual int32_t GetDim(int32_t k) const;
    virtual void SetDims(const std::vector<int32_t>&) {}
    // Dims as declared (empty for a scalar).
    virtual std::vector<int32_t> Dims() const { return {}; }

    virtual void AssignValue(const TCustomParam& p) { CopyFrom(p); }
    virtual void FillInt(int32_t) {}
    virtual void FillFloat(long double) {}
    virtual void FillBool(bool) {}
    virtual void FillStr(const std::string&) {}
    virtual void CopyFrom(const TCustomParam&) {}
    virtual void SaveToStream(TStream&) const {}
    virtual void LoadFromStream(TStream&, TParamCollection*) {}
    virtual void ClearDims() {}
    virtual void Unique() {}
    virtual void RemoveValue(const TCustomParam*) {}
    virtual int32_t FindStr(const std::string&, bool, bool) const { return -1; }

    // This parameter as a reference, or null (cheaper than a cast on the
    // interpreter's path).
    virtual TParamVar* AsRef() { return nullptr; }
    const TParamVar* AsRef() const { return const_cast<TCustomParam*>(this)->AsRef(); }
    // Whether this is a system variable.
    virtual bool IsSystemVar() const { return false; }

    // Back to the value of a new parameter of its class.
    virtual void ResetValue() {}

    // Empties an array entirely (zero elements, Dims [0]); the array
    // functions that remove elements leave arrays in this state.
    virtual void MakeEmpty() {}

    // One step towards the parameter that holds the values: this for a
    // value parameter, what a reference or forwarding system variable stands
    // for (adding its element offset), or null when it stands for nothing.
    virtual const TCustomParam* Forward(int64_t* /*offset*/) const { return this; }
    // The parameter that finally holds the values and the element offset
    // into it; null for an unbound reference or a chain that loops.
    const TCustomParam* Underlying(int64_t* offset) const;
    TCustomParam* Underlying(int64_t* offset) {
        return const_cast<TCustomParam*>(static_cast<const TCustomParam*>(this)->Underlying(offset));
    }
};

// Fails with "[%d]:配列の添字が不正です".
[[noreturn]] void ThrowBadIndex(int64_t i);
// "配列の要素数[%s]が不正です" with the sizes joined by ",".
std::string BadSizesMessage(const std::vector<int32_t>& sizes);
// Fails with that message.
[[noreturn]] void ThrowBadSizes(const std::vector<int32_t>& sizes);
// Fails unless the text length stays within kMaxStrLen.
void CheckStrLen(int64_t length);

// The four value classes share one implementation over their element type.
template <class T, uint8_t Kind>
class TParamValues : public TCustomParam {
public:
    using Element = T;
    TParamValues() : values_(1) {}

    int32_t GetCount() const override { return static_cast<int32_t>(values_.size()); }
    void SetCount(int64_t n) override;
    uint8_t GetKind() const override { return Kind; }
    uint8_t ClassKind() const override { return Kind; }

    // An emptied array reads as a fresh element would.
    bool AsBool() const override { return ToBool(First()); }
    long double AsFloat() const override { return ToFloat(First()); }
    int32_t AsInt() const override { return ToInt(First()); }
    std::string AsStr() const override { return ToStr(First()); }
    void SetBool(bool b) override { ClearDims(), Convert(values_[0], b); }
    void SetFloat(long double x) override { ClearDims(), Convert(values_[0], x); }
    void SetInt(int32_t n) override { ClearDims(), Convert(values_[0], n); }
    void SetStr(const std::string& s) override { ClearDims(), Convert(values_[0], s); }

    int32_t GetIntAt(int64_t i) const override { return ToInt(At(i)); }
    void SetIntAt(int64_t i, int32_t n) override { Convert(At(i), n); }
    long double GetFloatAt(int64_t i) const override { return ToFloat(At(i)); }
    void SetFloatAt(int64_t i, long double x) override { Convert(At(i), x); }
    bool GetBoolAt(int64_t i) const override { return ToBool(At(i)); }
    void SetBoolAt(int64_t i, bool b) override { Convert(At(i), b); }
    std::string GetStrAt(int64_t i) const override { return ToStr(At(i)); }
    void SetStrAt(int64_t i, const std::string& s) override { Convert(At(i), s); }

    int32_t GetDimCount() const override { return dims_.empty() ? 1 : static_cast<int32_t>(dims_.size()); }
    int32_t GetDim(int32_t k) const override;
    void SetDims(const std::vector<int32_t>& sizes) override;
    std::vector<int32_t> Dims() const override { return dims_; }

    void FillInt(int32_t n) override { Fill(n); }
    void FillFloat(long double x) override { Fill(x); }
    void FillBool(bool b) override { Fill(b); }
    void FillStr(const std::string& s) override { Fill(s); }
    void AssignValue(const TCustomParam& p) override;
    void CopyFrom(const TCustomParam& p) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s, TParamCollection*) override;
    void ClearDims() override;
    void Unique() override;
    void RemoveValue(const TCustomParam* p) override;
    int32_t FindStr(const std::string& s, bool case_sensitive, bool partial) const override;
    void MakeEmpty() override {
        values_.clear();
        dims_.assign(1, 0);
    }
    void ResetValue() override {
        dims_.clear();
        values_.assign(1, T{});
    }

    const std::vector<T>& Values() const { return values_; }
    std::vector<T>& Values() { return values_; }
    T& At(int64_t i) {
        if (i < 0 || i >= static_cast<int64_t>(values_.size())) ThrowBadIndex(i);
        return values_[static_cast<size_t>(i)];
    }
    const T& At(int64_t i) const { return const_cast<TParamValues*>(this)->At(i); }

private:
    const T& First() const {
        static const T kEmpty{};
        return values_.empty() ? kEmpty : values_[0];
    }
    template <class S>
    void Fill(const S& v) {
        T converted{};
        Convert(converted, v);
        for (T& e : values_) e = converted;
    }
    std::vector<int32_t> dims_;
    std::vector<T> values_;
};

using TParamInt = TParamValues<int32_t, PT_INT>;
using TParamFloat = TParamValues<long double, PT_FLOAT>;
using TParamFlag = TParamValues<Flag, PT_BOOL>;
using TParamStr = TParamValues<std::string, PT_STR>;

// A reference to a variable of the collection, or to one of its elements.
// Scalar reads and writes reach element ElementIndex; element i reaches
// element ElementIndex + i. Unbound, it reads as nothing and ignores writes.
class TParamVar : public TCustomParam {
public:
    std::string Name;
    TParamCollectionItem* Target = nullptr;
    uint8_t Flag = 0;
    int32_t ElementIndex = 0;
    // An element reference ("a[i]") reads and writes its element; a
    // reference to a whole variable hands scalar operations on as they are
    // (so writing a plain value still turns an array into a scalar).
    bool IsElement = false;
    // The item a name was last found as, valid while the collection's
    // stamp and current frame are those recorded (see TParamCollection).
    TParamCollectionItem* CachedItem = nullptr;
    uint64_t CachedStamp = 0;
    int32_t CachedFrame = 0;

    int32_t GetCount() const override;
    void SetCount(int64_t n) override;
    uint8_t GetKind() const override;

    bool AsBool() const override;
    long double AsFloat() const override;
    int32_t AsInt() const override;
    std::string AsStr() const override;
    void SetBool(bool b) override;
    void SetFloat(long double x) override;
    void SetInt(int32_t n) override;
    void SetStr(const std::string& s) override;

    int32_t GetIntAt(int64_t i) const override;
    void SetIntAt(int64_t i, int32_t n) override;
    long double GetFloatAt(int64_t i) const override;
    void SetFloatAt(int64_t i, long double x) override;
    bool GetBoolAt(int64_t i) const override;
    void SetBoolAt(int64_t i, bool b) override;
    std::string GetStrAt(int64_t i) const override;
    void SetStrAt(int64_t i, const std::string& s) override;

    int32_t GetDimCount() const override;
    int32_t GetDim(int32_t k) const override;
    void SetDims(const std::vector<int32_t>& sizes) override;
    std::vector<int32_t> Dims() const override;
    void FillInt(int32_t n) override;
    void FillFloat(long double x) override;
    void FillBool(bool b) override;
    void FillStr(const std::string& s) override;
    void CopyFrom(const TCustomParam& p) override;
    void AssignValue(const TCustomParam& p) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s, TParamCollection* owner) override;
    void ClearDims() override;
    void Unique() override;
    void RemoveValue(const TCustomParam* p) override;
    int32_t FindStr(const std::string& s, bool case_sensitive, bool partial) const override;
    void MakeEmpty() override;
    const TCustomParam* Forward(int64_t* offset) const override;
    TParamVar* AsRef() override { return this; }
    void ResetValue() override {
        Name.clear();
        Target = nullptr;
        Flag = 0;
        ElementIndex = 0;
        IsElement = false;
    }

    // Binds to an item; when the item itself holds a reference, the binding
    // goes straight to what that reference reaches.
    void Bind(TParamCollectionItem* item);
    void Unbind() { Target = nullptr; }

private:
    // The whole-variable parameter reached (offset ignored), or null.
    TCustomParam* Whole() const;
};

// New parameter of a kind code (low 7 bits); null for a code above 4.
std::unique_ptr<TCustomParam> MakeParam(uint8_t kind);

// Element i of src into element j of dst, converted to dst's kind.
void CopyElement(TCustomParam& dst, int64_t j, const TCustomParam& src, int64_t i);
// Copies dims and elements of any parameter into dst, converting each
// element to dst's kind (a scalar source gives dst the dims [1]).
void AssignConverted(TCustomParam& dst, const TCustomParam& src);
// A new parameter of src's kind holding a copy of its dims and values; null
// when src's kind is PT_NONE.
std::unique_ptr<TCustomParam> CloneValue(const TCustomParam& src);

}  // namespace mivo::script
