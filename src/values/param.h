// Typed values: every variable, every constant of a stored expression and every temporary of an
// evaluation is one of these. A value is a scalar or a row-major array of one element type; every value
// converts to every type by one fixed table (see the conversion helpers below).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vobe {

class TStream;
class TParamCollectionItem;
class TParamCollection;
class TParamVar;

// Type codes: the same byte in the store, in saved data and in stored expressions.
using TParamType = uint8_t;
inline constexpr TParamType PT_NONE = 0; // a reference (TParamVar)
inline constexpr TParamType PT_INT = 1;
inline constexpr TParamType PT_FLOAT = 2;
inline constexpr TParamType PT_BOOL = 3;
inline constexpr TParamType PT_STR = 4;

// ---- conversions -----------------------------------------------------------------------------------
// Text is Shift-JIS bytes. Text that is no number reads as 0; only the exact text "TRUE" is true.

std::string IntToStr(int32_t v);
// General format with 15 significant digits: 0.5, 3.14159265358979, 1E20, 1E-5, -2.5E-7.
std::string FloatToStr(long double x);
// Truncation toward zero, wrapped to 32 bits as the 64-bit truncation would be; NaN gives 0.
int32_t FloatToInt(long double x);
// Optional leading blanks, optional sign, decimal digits, nothing after; within the 32-bit range.
bool TryStrToInt(std::string_view s, int32_t& v);
// Blanks around, optional sign, digits with an optional "." and fraction, optional exponent.
bool TryStrToFloat(std::string_view s, long double& x);
int32_t StrToIntDef(std::string_view s, int32_t def);
long double StrToFloatDef(std::string_view s, long double def);
inline bool StrToBool(std::string_view s) {
    return s == "TRUE";
}
inline std::string BoolToStr(bool b) {
    return b ? "TRUE" : "FALSE";
}

// ---- the value family ------------------------------------------------------------------------------

// Base of every value. Dims are the dimension sizes of an array, first dimension first; empty for a
// scalar. The element operations take a flat row-major index and raise "配列の添字が不正です" when it
// is outside 0 .. Count-1.
class TCustomParam {
public:
    TCustomParam() = default;
    virtual ~TCustomParam() = default;
    TCustomParam(const TCustomParam&) = delete;
    TCustomParam& operator=(const TCustomParam&) = delete;

    std::vector<int32_t> Dims;

    virtual int32_t GetCount() const { return 1; }
    virtual void SetCount(int32_t) {}
    virtual TParamType GetParamType() const { return PT_INT; }
    // This value as a reference, or null: the class test without a dynamic cast.
    virtual TParamVar* AsVar() { return nullptr; }
    virtual const TParamVar* AsVar() const { return nullptr; }

    virtual bool GetAsBool() const { return false; }
    virtual long double GetAsFloat() const { return 0; }
    virtual int32_t GetAsInt() const { return 0; }
    virtual std::string GetAsStr() const { return std::string(); }
    // Scalar writes drop the dimensions first (element 0 stays), then write element 0.
    virtual void SetAsBool(bool) {}
    virtual void SetAsFloat(long double) {}
    virtual void SetAsInt(int32_t) {}
    virtual void SetAsStr(const std::string&) {}

    virtual int32_t GetIntAt(int32_t) const { return 0; }
    virtual void SetIntAt(int32_t, int32_t) {}
    virtual long double GetFloatAt(int32_t) const { return 0; }
    virtual void SetFloatAt(int32_t, long double) {}
    virtual bool GetBoolAt(int32_t) const { return false; }
    virtual void SetBoolAt(int32_t, bool) {}
    virtual std::string GetStrAt(int32_t) const { return std::string(); }
    virtual void SetStrAt(int32_t, const std::string&) {}

    // Number of dimensions, 1 for a scalar.
    virtual int32_t GetDimCount() const;
    // Size of dimension k, 1 beyond the dimensions.
    virtual int32_t GetDim(int32_t k) const;
    // The dimensions in force: Dims for a value, the target's for a reference.
    virtual std::vector<int32_t> GetDims() const { return Dims; }
    // Copies Dims and Values from an object of the same class.
    virtual void AssignValues(const TCustomParam& src);
    // Every size must be at least 1 ("配列の要素数[3,0]が不正です" otherwise, nothing changes).
    virtual void SetDims(const std::vector<int32_t>& dims);
    virtual void FillInt(int32_t) {}
    virtual void FillFloat(long double) {}
    virtual void FillBool(bool) {}
    virtual void FillStr(const std::string&) {}
    // Count, dimensions and elements of a source of the same type ("CopyMem:変数の型があいません").
    virtual void CopyMem(const TCustomParam& src);
    virtual void SaveToStream(TStream& s) const;
    virtual void LoadFromStream(TStream& s);
    // Back to a scalar holding element 0.
    virtual void ClearDims();
    // Index of the first element whose text matches, or -1: partial, the element contains s; else
    // equal bytes (caseSensitive) or equal ignoring case.
    virtual int32_t IndexOfStr(const std::string& s, bool caseSensitive, bool partial) const;

    // Gives this value src's dimensions, then converts src element by element through this value's
    // own typed setters.
    void CopyFrom(const TCustomParam& src);
    // Back to the state of a new object (a scalar 0, 0.0, false or ""; an unbound reference), keeping
    // the memory: recycled temporaries start from here.
    virtual void Reset() { Dims.clear(); }

    // The element count the dimensions ask for ("配列の要素数[..]が不正です" when a size is below 1 or
    // the array would be larger than any game can hold).
    static int32_t CheckedProduct(const std::vector<int32_t>& dims);
    // Largest element count of one array.
    static constexpr int32_t MaxElements = 1 << 24;

protected:
    void SaveDims(TStream& s) const;
    static std::vector<int32_t> LoadDims(TStream& s);
    // The element count that follows the dimensions in stored data, checked against what remains of
    // the stream (each element takes at least minBytes).
    static int32_t LoadCount(TStream& s, int32_t minBytes);
};

// Raises "配列の添字が不正です".
[[noreturn]] void RaiseIndexError();

// The value classes: one element type each, Values never empty.
template <typename T, TParamType Code> class TTypedParam : public TCustomParam {
public:
    std::vector<T> Values = std::vector<T>(1);

    int32_t GetCount() const override { return static_cast<int32_t>(Values.size()); }
    void SetCount(int32_t n) override;
    TParamType GetParamType() const override { return Code; }
    bool GetAsBool() const override { return GetBoolAt(0); }
    long double GetAsFloat() const override { return GetFloatAt(0); }
    int32_t GetAsInt() const override { return GetIntAt(0); }
    std::string GetAsStr() const override { return GetStrAt(0); }
    void SetAsBool(bool b) override {
        ClearDims();
        SetBoolAt(0, b);
    }
    void SetAsFloat(long double x) override {
        ClearDims();
        SetFloatAt(0, x);
    }
    void SetAsInt(int32_t v) override {
        ClearDims();
        SetIntAt(0, v);
    }
    void SetAsStr(const std::string& s) override {
        ClearDims();
        SetStrAt(0, s);
    }
    void AssignValues(const TCustomParam& src) override;
    void ClearDims() override;
    void CopyMem(const TCustomParam& src) override;
    void Reset() override {
        Dims.clear();
        Values.assign(1, T());
    }

protected:
    T& At(int32_t i) {
        if (i < 0 || i >= static_cast<int32_t>(Values.size())) RaiseIndexError();
        return Values[static_cast<size_t>(i)];
    }
    const T& At(int32_t i) const {
        if (i < 0 || i >= static_cast<int32_t>(Values.size())) RaiseIndexError();
        return Values[static_cast<size_t>(i)];
    }
};

class TParamInt : public TTypedParam<int32_t, PT_INT> {
public:
    int32_t GetIntAt(int32_t i) const override { return At(i); }
    void SetIntAt(int32_t i, int32_t v) override { At(i) = v; }
    long double GetFloatAt(int32_t i) const override { return At(i); }
    void SetFloatAt(int32_t i, long double x) override { At(i) = FloatToInt(x); }
    bool GetBoolAt(int32_t i) const override { return At(i) != 0; }
    void SetBoolAt(int32_t i, bool b) override { At(i) = b ? 1 : 0; }
    std::string GetStrAt(int32_t i) const override { return IntToStr(At(i)); }
    void SetStrAt(int32_t i, const std::string& s) override { At(i) = StrToIntDef(s, 0); }
    void FillInt(int32_t v) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s) override;
};

class TParamFloat : public TTypedParam<long double, PT_FLOAT> {
public:
    int32_t GetIntAt(int32_t i) const override { return FloatToInt(At(i)); }
    void SetIntAt(int32_t i, int32_t v) override { At(i) = v; }
    long double GetFloatAt(int32_t i) const override { return At(i); }
    void SetFloatAt(int32_t i, long double x) override { At(i) = x; }
    bool GetBoolAt(int32_t i) const override { return At(i) != 0; }
    void SetBoolAt(int32_t i, bool b) override { At(i) = b ? 1 : 0; }
    std::string GetStrAt(int32_t i) const override { return FloatToStr(At(i)); }
    void SetStrAt(int32_t i, const std::string& s) override { At(i) = StrToFloatDef(s, 0); }
    void FillFloat(long double x) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s) override;
};

// A flag element is one byte, 0 or 1.
class TParamFlag : public TTypedParam<uint8_t, PT_BOOL> {
public:
    int32_t GetIntAt(int32_t i) const override { return At(i) != 0 ? 1 : 0; }
    void SetIntAt(int32_t i, int32_t v) override { At(i) = v != 0; }
    long double GetFloatAt(int32_t i) const override { return At(i) != 0 ? 1 : 0; }
    void SetFloatAt(int32_t i, long double x) override { At(i) = x != 0; }
    bool GetBoolAt(int32_t i) const override { return At(i) != 0; }
    void SetBoolAt(int32_t i, bool b) override { At(i) = b; }
    std::string GetStrAt(int32_t i) const override { return BoolToStr(At(i) != 0); }
    void SetStrAt(int32_t i, const std::string& s) override { At(i) = StrToBool(s); }
    void FillBool(bool b) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s) override;
};

class TParamStr : public TTypedParam<std::string, PT_STR> {
public:
    int32_t GetIntAt(int32_t i) const override { return StrToIntDef(At(i), 0); }
    void SetIntAt(int32_t i, int32_t v) override { At(i) = IntToStr(v); }
    long double GetFloatAt(int32_t i) const override { return StrToFloatDef(At(i), 0); }
    void SetFloatAt(int32_t i, long double x) override { At(i) = FloatToStr(x); }
    bool GetBoolAt(int32_t i) const override { return StrToBool(At(i)); }
    void SetBoolAt(int32_t i, bool b) override { At(i) = BoolToStr(b); }
    std::string GetStrAt(int32_t i) const override { return At(i); }
    void SetStrAt(int32_t i, const std::string& s) override { At(i) = s; }
    void FillStr(const std::string& s) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s) override;
};

// A link from a value to a store item that is cut when the item is freed, so that a reference never
// outlives what it refers to.
class TItemLink {
public:
    TItemLink() = default;
    ~TItemLink() { Set(nullptr); }
    TItemLink(const TItemLink&) = delete;
    TItemLink& operator=(const TItemLink&) = delete;

    TParamCollectionItem* Get() const { return FItem; }
    void Set(TParamCollectionItem* item);

private:
    friend class TParamCollectionItem;
    TParamCollectionItem* FItem = nullptr;
    TItemLink* FPrev = nullptr;
    TItemLink* FNext = nullptr;
};

// Type 0: a reference to one element of another variable. Scalar operations act on element Index of
// the target, element operations on the element they name; count, dimensions and type are the
// target's. Without a target, reads give zero values, count 0 and type 0, and writes do nothing.
class TParamVar : public TCustomParam {
public:
    std::string Name;     // the name it was written with
    uint8_t Reserved = 0; // saved and loaded, otherwise unused
    int32_t Index = 0;    // flat element index in the target

    TParamVar* AsVar() override { return this; }
    const TParamVar* AsVar() const override { return this; }
    TParamCollectionItem* GetTarget() const { return FTarget.Get(); }
    void SetTarget(TParamCollectionItem* item) { FTarget.Set(item); }

    int32_t GetCount() const override;
    void SetCount(int32_t n) override;
    TParamType GetParamType() const override;
    bool GetAsBool() const override;
    long double GetAsFloat() const override;
    int32_t GetAsInt() const override;
    std::string GetAsStr() const override;
    void SetAsBool(bool b) override;
    void SetAsFloat(long double x) override;
    void SetAsInt(int32_t v) override;
    void SetAsStr(const std::string& s) override;
    int32_t GetIntAt(int32_t i) const override;
    void SetIntAt(int32_t i, int32_t v) override;
    long double GetFloatAt(int32_t i) const override;
    void SetFloatAt(int32_t i, long double x) override;
    bool GetBoolAt(int32_t i) const override;
    void SetBoolAt(int32_t i, bool b) override;
    std::string GetStrAt(int32_t i) const override;
    void SetStrAt(int32_t i, const std::string& s) override;
    int32_t GetDimCount() const override;
    int32_t GetDim(int32_t k) const override;
    std::vector<int32_t> GetDims() const override;
    void AssignValues(const TCustomParam& src) override;
    void SetDims(const std::vector<int32_t>& dims) override;
    void FillInt(int32_t v) override;
    void FillFloat(long double x) override;
    void FillBool(bool b) override;
    void FillStr(const std::string& s) override;
    void CopyMem(const TCustomParam& src) override;
    // Dims, Name, the target's name, Reserved, Index. Loading links the target by name through the
    // store.
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s) override;
    // The same, linking the target in the given store (the player's store in the form above).
    void LoadFromStream(TStream& s, const TParamCollection* store);
    void ClearDims() override;
    int32_t IndexOfStr(const std::string& s, bool caseSensitive, bool partial) const override;
    void Reset() override {
        Dims.clear();
        Name.clear();
        Reserved = 0;
        Index = 0;
        SetTarget(nullptr);
    }

private:
    // The target's value while the target exists and the chain of references is not too deep (a
    // reference that ends up at itself reads as unbound instead of recursing forever).
    TCustomParam* Resolve() const;
    TItemLink FTarget;
};

// The type factory: the class of the code's low 7 bits; null for codes 5 to 127.
std::unique_ptr<TCustomParam> CreateParam(TParamType code);

// Guards every delegation from one value to another (references, @Result, @Temp): deeper chains than
// this read as unbound, so that a reference cycle in damaged data cannot recurse without end.
class TDelegationGuard {
public:
    TDelegationGuard() : FOk(Depth < MaxDepth) { ++Depth; }
    ~TDelegationGuard() { --Depth; }
    TDelegationGuard(const TDelegationGuard&) = delete;
    TDelegationGuard& operator=(const TDelegationGuard&) = delete;
    bool Ok() const { return FOk; }

private:
    static constexpr int MaxDepth = 64;
    static inline int Depth = 0;
    bool FOk;
};

} // namespace vobe
