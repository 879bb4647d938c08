#include "values/param.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "values/param_collection.h"

namespace vobe {

// ---- conversions -------------------------------------------------------------------------------------

std::string IntToStr(int32_t v) {
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, "%d", v);
    return std::string(buf, static_cast<size_t>(n));
}

std::string FloatToStr(long double x) {
    if (std::isnan(x)) return "NAN";
    if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
    if (x == 0) return "0";
    // 15 significant digits, correctly rounded; then the general format picks fixed or scientific.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", x);
    const char* p = buf;
    std::string out;
    if (*p == '-') {
        out += '-';
        ++p;
    }
    char digits[16];
    int nd = 0;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9' && nd < 15) digits[nd++] = *p;
    int e10 = *p == 'e' ? std::atoi(p + 1) : 0;
    while (nd > 1 && digits[nd - 1] == '0') --nd;
    // Digits before the decimal point.
    const int exponent = e10 + 1;
    if (exponent > 15 || exponent < -3) {
        out += digits[0];
        if (nd > 1) {
            out += '.';
            out.append(digits + 1, static_cast<size_t>(nd - 1));
        }
        out += 'E';
        if (e10 < 0) out += '-';
        out += std::to_string(e10 < 0 ? -e10 : e10);
    } else if (exponent <= 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exponent), '0');
        out.append(digits, static_cast<size_t>(nd));
    } else if (nd <= exponent) {
        out.append(digits, static_cast<size_t>(nd));
        out.append(static_cast<size_t>(exponent - nd), '0');
    } else {
        out.append(digits, static_cast<size_t>(exponent));
        out += '.';
        out.append(digits + exponent, static_cast<size_t>(nd - exponent));
    }
    return out;
}

int32_t FloatToInt(long double x) {
    if (std::isnan(x)) return 0;
    int64_t t;
    if (x >= 9223372036854775807.0L)
        t = std::numeric_limits<int64_t>::max();
    else if (x <= -9223372036854775808.0L)
        t = std::numeric_limits<int64_t>::min();
    else
        t = static_cast<int64_t>(x);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(t)));
}

bool TryStrToInt(std::string_view s, int32_t& v) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    uint64_t acc = 0;
    if (hex) {
        // Up to eight hexadecimal digits; the top bit makes the value negative.
        int count = 0;
        for (; i < s.size(); ++i, ++count) {
            char c = s[i];
            int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (d < 0 || count >= 8) return false;
            acc = acc * 16 + static_cast<uint64_t>(d);
        }
        uint32_t u = static_cast<uint32_t>(acc);
        if (neg) u = 0u - u;
        v = static_cast<int32_t>(u);
        return true;
    }
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c < '0' || c > '9') return false;
        acc = acc * 10 + static_cast<uint64_t>(c - '0');
        if (acc > 2147483648ull) return false;
    }
    if (neg) {
        v = static_cast<int32_t>(0 - static_cast<int64_t>(acc));
        return true;
    }
    if (acc > 2147483647ull) return false;
    v = static_cast<int32_t>(acc);
    return true;
}

bool TryStrToFloat(std::string_view s, long double& x) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    size_t i = b;
    if (i < e && (s[i] == '+' || s[i] == '-')) ++i;
    size_t mantissaDigits = 0;
    while (i < e && s[i] >= '0' && s[i] <= '9') ++i, ++mantissaDigits;
    if (i < e && s[i] == '.') {
        ++i;
        while (i < e && s[i] >= '0' && s[i] <= '9') ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < e && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < e && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < e && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != e) return false;
    // The text is now known to be plain decimal (no hexadecimal, infinity or locale forms).
    std::string text(s.substr(b, e - b));
    long double r = std::strtold(text.c_str(), nullptr);
    if (std::isinf(r)) return false;
    x = r;
    return true;
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
    int32_t v;
    return TryStrToInt(s, v) ? v : def;
}

long double StrToFloatDef(std::string_view s, long double def) {
    long double x;
    return TryStrToFloat(s, x) ? x : def;
}

// ---- TCustomParam ------------------------------------------------------------------------------------

void RaiseIndexError() {
    throw EVobeError(SJ("配列の添字が不正です"));
}

namespace {

std::string JoinInts(const std::vector<int32_t>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) {
        if (i) s += ',';
        s += IntToStr(v[i]);
    }
    return s;
}

[[noreturn]] void RaiseDimsError(const std::vector<int32_t>& dims) {
    throw EVobeError(SJ("配列の要素数[") + JoinInts(dims) + SJ("]が不正です"));
}

[[noreturn]] void RaiseCopyMemError() {
    throw EVobeError(SJ("CopyMem:変数の型があいません"));
}

// Typed element reads, so that templates can copy from any value into their own element type.
template <typename T> T ElementOf(const TCustomParam& src, int32_t i);
template <> int32_t ElementOf<int32_t>(const TCustomParam& src, int32_t i) {
    return src.GetIntAt(i);
}
template <> long double ElementOf<long double>(const TCustomParam& src, int32_t i) {
    return src.GetFloatAt(i);
}
template <> uint8_t ElementOf<uint8_t>(const TCustomParam& src, int32_t i) {
    return src.GetBoolAt(i) ? 1 : 0;
}
template <> std::string ElementOf<std::string>(const TCustomParam& src, int32_t i) {
    return src.GetStrAt(i);
}

} // namespace

int32_t TCustomParam::GetDimCount() const {
    return Dims.empty() ? 1 : static_cast<int32_t>(Dims.size());
}

int32_t TCustomParam::GetDim(int32_t k) const {
    return k >= 0 && k < static_cast<int32_t>(Dims.size()) ? Dims[static_cast<size_t>(k)] : 1;
}

void TCustomParam::AssignValues(const TCustomParam&) {}

int32_t TCustomParam::CheckedProduct(const std::vector<int32_t>& dims) {
    int64_t product = 1;
    for (int32_t d : dims) {
        if (d < 1) RaiseDimsError(dims);
        product *= d;
        if (product > MaxElements) RaiseDimsError(dims);
    }
    return static_cast<int32_t>(product);
}

void TCustomParam::SetDims(const std::vector<int32_t>& dims) {
    int32_t n = CheckedProduct(dims);
    Dims = dims;
    SetCount(n);
}

void TCustomParam::CopyMem(const TCustomParam&) {}

void TCustomParam::SaveDims(TStream& s) const {
    WriteInt32(s, static_cast<int32_t>(Dims.size()));
    for (int32_t d : Dims) WriteInt32(s, d);
}

std::vector<int32_t> TCustomParam::LoadDims(TStream& s) {
    int32_t n = ReadInt32(s);
    if (n < 0 || n > s.Remaining() / 4) throw EStreamError(SJ("配列の次元数が不正です"));
    std::vector<int32_t> dims(static_cast<size_t>(n));
    for (auto& d : dims) d = ReadInt32(s);
    return dims;
}

int32_t TCustomParam::LoadCount(TStream& s, int32_t minBytes) {
    int32_t n = ReadInt32(s);
    if (n < 0 || n > MaxElements || n > s.Remaining() / minBytes)
        throw EStreamError(SJ("配列の要素数[") + IntToStr(n) + SJ("]が不正です"));
    return n;
}

void TCustomParam::SaveToStream(TStream& s) const {
    SaveDims(s);
}

void TCustomParam::LoadFromStream(TStream& s) {
    Dims = LoadDims(s);
}

void TCustomParam::ClearDims() {
    Dims.clear();
}

int32_t TCustomParam::IndexOfStr(const std::string& s, bool caseSensitive, bool partial) const {
    const int32_t n = GetCount();
    if (partial) {
        const std::string needle = caseSensitive ? s : AnsiLowerCase(s);
        for (int32_t i = 0; i < n; ++i) {
            std::string text = GetStrAt(i);
            if (!caseSensitive) text = AnsiLowerCase(text);
            if (text.find(needle) != std::string::npos) return i;
        }
        return -1;
    }
    for (int32_t i = 0; i < n; ++i) {
        const std::string text = GetStrAt(i);
        if (caseSensitive ? text == s : AnsiSameText(text, s)) return i;
    }
    return -1;
}

void TCustomParam::CopyFrom(const TCustomParam& src) {
    std::vector<int32_t> dims;
    const int32_t dc = src.GetDimCount();
    for (int32_t k = 0; k < dc; ++k) dims.push_back(src.GetDim(k));
    SetDims(dims);
    const int32_t n = src.GetCount();
    switch (GetParamType()) {
    case PT_INT:
        for (int32_t i = 0; i < n; ++i) SetIntAt(i, src.GetIntAt(i));
        break;
    case PT_FLOAT:
        for (int32_t i = 0; i < n; ++i) SetFloatAt(i, src.GetFloatAt(i));
        break;
    case PT_BOOL:
        for (int32_t i = 0; i < n; ++i) SetBoolAt(i, src.GetBoolAt(i));
        break;
    case PT_STR:
        for (int32_t i = 0; i < n; ++i) SetStrAt(i, src.GetStrAt(i));
        break;
    default: break;
    }
}

// ---- value classes -----------------------------------------------------------------------------------

template <typename T, TParamType Code> void TTypedParam<T, Code>::SetCount(int32_t n) {
    if (n < 0 || n > MaxElements) RaiseDimsError({n});
    Values.resize(static_cast<size_t>(n));
}

template <typename T, TParamType Code> void TTypedParam<T, Code>::AssignValues(const TCustomParam& src) {
    if (auto* same = dynamic_cast<const TTypedParam<T, Code>*>(&src)) {
        if (same == this) return;
        Dims = same->Dims;
        Values = same->Values;
        return;
    }
    // Another class of the same type (a reference or a system variable): through its element reads.
    std::vector<int32_t> dims = src.GetDims();
    const int32_t n = src.GetCount();
    std::vector<T> values(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) values[static_cast<size_t>(i)] = ElementOf<T>(src, i);
    if (values.empty()) values.resize(1);
    Dims = std::move(dims);
    Values = std::move(values);
}

template <typename T, TParamType Code> void TTypedParam<T, Code>::ClearDims() {
    if (!Dims.empty()) {
        Dims.clear();
        Values.resize(1);
    }
    // Scalar writes go to element 0, which must exist.
    if (Values.empty()) Values.resize(1);
}

template <typename T, TParamType Code> void TTypedParam<T, Code>::CopyMem(const TCustomParam& src) {
    if (src.GetParamType() != Code) RaiseCopyMemError();
    const int32_t n = src.GetCount();
    std::vector<T> values(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) values[static_cast<size_t>(i)] = ElementOf<T>(src, i);
    std::vector<int32_t> dims;
    const int32_t dc = src.GetDimCount();
    for (int32_t k = 0; k < dc; ++k) dims.push_back(src.GetDim(k));
    Values = std::move(values);
    Dims = std::move(dims);
}

template class TTypedParam<int32_t, PT_INT>;
template class TTypedParam<long double, PT_FLOAT>;
template class TTypedParam<uint8_t, PT_BOOL>;
template class TTypedParam<std::string, PT_STR>;

void TParamInt::FillInt(int32_t v) {
    for (auto& e : Values) e = v;
}

void TParamInt::SaveToStream(TStream& s) const {
    SaveDims(s);
    WriteInt32(s, GetCount());
    for (int32_t v : Values) WriteInt32(s, v);
}

void TParamInt::LoadFromStream(TStream& s) {
    std::vector<int32_t> dims = LoadDims(s);
    const int32_t n = LoadCount(s, 4);
    std::vector<int32_t> values(static_cast<size_t>(n));
    for (auto& v : values) v = ReadInt32(s);
    if (values.empty()) values.resize(1);
    Dims = std::move(dims);
    Values = std::move(values);
}

void TParamFloat::FillFloat(long double x) {
    for (auto& e : Values) e = x;
}

void TParamFloat::SaveToStream(TStream& s) const {
    SaveDims(s);
    WriteInt32(s, GetCount());
    for (long double x : Values) WriteExtended(s, x);
}

void TParamFloat::LoadFromStream(TStream& s) {
    std::vector<int32_t> dims = LoadDims(s);
    const int32_t n = LoadCount(s, 10);
    std::vector<long double> values(static_cast<size_t>(n));
    for (auto& x : values) x = ReadExtended(s);
    if (values.empty()) values.resize(1);
    Dims = std::move(dims);
    Values = std::move(values);
}

void TParamFlag::FillBool(bool b) {
    for (auto& e : Values) e = b;
}

void TParamFlag::SaveToStream(TStream& s) const {
    SaveDims(s);
    WriteInt32(s, GetCount());
    for (uint8_t b : Values) WriteByte(s, b);
}

void TParamFlag::LoadFromStream(TStream& s) {
    std::vector<int32_t> dims = LoadDims(s);
    const int32_t n = LoadCount(s, 1);
    std::vector<uint8_t> values(static_cast<size_t>(n));
    for (auto& b : values) b = ReadByte(s) != 0;
    if (values.empty()) values.resize(1);
    Dims = std::move(dims);
    Values = std::move(values);
}

void TParamStr::FillStr(const std::string& v) {
    for (auto& e : Values) e = v;
}

void TParamStr::SaveToStream(TStream& s) const {
    SaveDims(s);
    WriteInt32(s, GetCount());
    for (const auto& v : Values) WriteStr(s, v);
}

void TParamStr::LoadFromStream(TStream& s) {
    std::vector<int32_t> dims = LoadDims(s);
    const int32_t n = LoadCount(s, 4);
    std::vector<std::string> values(static_cast<size_t>(n));
    for (auto& v : values) v = ReadStr(s);
    if (values.empty()) values.resize(1);
    Dims = std::move(dims);
    Values = std::move(values);
}

// ---- references --------------------------------------------------------------------------------------

void TItemLink::Set(TParamCollectionItem* item) {
    if (item == FItem) return;
    if (FItem) {
        if (FPrev)
            FPrev->FNext = FNext;
        else
            FItem->FLinks = FNext;
        if (FNext) FNext->FPrev = FPrev;
        FPrev = FNext = nullptr;
    }
    FItem = item;
    if (item) {
        FNext = item->FLinks;
        if (FNext) FNext->FPrev = this;
        item->FLinks = this;
    }
}

TCustomParam* TParamVar::Resolve() const {
    TParamCollectionItem* t = FTarget.Get();
    return t ? &t->GetParam() : nullptr;
}

// Each delegated operation runs under the guard: a cycle of references reads as unbound.
#define VOBE_DELEGATE(fallback, call)                                                                        \
    TDelegationGuard guard;                                                                                  \
    TCustomParam* p = guard.Ok() ? Resolve() : nullptr;                                                      \
    if (!p) return fallback;                                                                                 \
    return p->call;

int32_t TParamVar::GetCount() const {
    VOBE_DELEGATE(0, GetCount())
}
void TParamVar::SetCount(int32_t n){
    VOBE_DELEGATE(void(), SetCount(n))} TParamType TParamVar::GetParamType() const {
    VOBE_DELEGATE(PT_NONE, GetParamType())
}
bool TParamVar::GetAsBool() const {
    VOBE_DELEGATE(false, GetBoolAt(Index))
}
long double TParamVar::GetAsFloat() const {
    VOBE_DELEGATE(0.0L, GetFloatAt(Index))} int32_t TParamVar::GetAsInt() const {
    VOBE_DELEGATE(0, GetIntAt(Index))} std::string TParamVar::GetAsStr() const {
    VOBE_DELEGATE(std::string(), GetStrAt(Index))
}
void TParamVar::SetAsBool(bool b) {
    VOBE_DELEGATE(void(), SetBoolAt(Index, b))
}
void TParamVar::SetAsFloat(long double x) {
    VOBE_DELEGATE(void(), SetFloatAt(Index, x))
}
void TParamVar::SetAsInt(int32_t v) {
    VOBE_DELEGATE(void(), SetIntAt(Index, v))
}
void TParamVar::SetAsStr(const std::string& s){
    VOBE_DELEGATE(void(), SetStrAt(Index, s))} int32_t TParamVar::GetIntAt(int32_t i) const {
    VOBE_DELEGATE(0, GetIntAt(i))
}
void TParamVar::SetIntAt(int32_t i, int32_t v) {
    VOBE_DELEGATE(void(), SetIntAt(i, v))
}
long double TParamVar::GetFloatAt(int32_t i) const {
    VOBE_DELEGATE(0.0L, GetFloatAt(i))
}
void TParamVar::SetFloatAt(int32_t i, long double x) {
    VOBE_DELEGATE(void(), SetFloatAt(i, x))
}
bool TParamVar::GetBoolAt(int32_t i) const {
    VOBE_DELEGATE(false, GetBoolAt(i))
}
void TParamVar::SetBoolAt(int32_t i, bool b){
    VOBE_DELEGATE(void(), SetBoolAt(i, b))} std::string TParamVar::GetStrAt(int32_t i) const {
    VOBE_DELEGATE(std::string(), GetStrAt(i))
}
void TParamVar::SetStrAt(int32_t i, const std::string& s){
    VOBE_DELEGATE(void(), SetStrAt(i, s))} int32_t TParamVar::GetDimCount() const {
    VOBE_DELEGATE(1, GetDimCount())} int32_t TParamVar::GetDim(int32_t k) const {
    VOBE_DELEGATE(1, GetDim(k))} std::vector<int32_t> TParamVar::GetDims() const {
    VOBE_DELEGATE(std::vector<int32_t>(), GetDims())
}
void TParamVar::AssignValues(const TCustomParam& src) {
    VOBE_DELEGATE(void(), AssignValues(src))
}
void TParamVar::SetDims(const std::vector<int32_t>& dims) {
    VOBE_DELEGATE(void(), SetDims(dims))
}
void TParamVar::FillInt(int32_t v) {
    VOBE_DELEGATE(void(), FillInt(v))
}
void TParamVar::FillFloat(long double x) {
    VOBE_DELEGATE(void(), FillFloat(x))
}
void TParamVar::FillBool(bool b) {
    VOBE_DELEGATE(void(), FillBool(b))
}
void TParamVar::FillStr(const std::string& s) {
    VOBE_DELEGATE(void(), FillStr(s))
}
void TParamVar::CopyMem(const TCustomParam& src) {
    VOBE_DELEGATE(void(), CopyMem(src))
}
void TParamVar::ClearDims(){VOBE_DELEGATE(void(), ClearDims())} int32_t TParamVar::IndexOfStr(
    const std::string& s, bool caseSensitive, bool partial) const {
    VOBE_DELEGATE(-1, IndexOfStr(s, caseSensitive, partial))
}

#undef VOBE_DELEGATE

void TParamVar::SaveToStream(TStream& s) const {
    SaveDims(s);
    WriteStr(s, Name);
    TParamCollectionItem* t = FTarget.Get();
    WriteStr(s, t ? t->GetName() : std::string());
    WriteByte(s, Reserved);
    WriteInt32(s, Index);
}

void TParamVar::LoadFromStream(TStream& s) {
    LoadFromStream(s, ParamCollection);
}

void TParamVar::LoadFromStream(TStream& s, const TParamCollection* store) {
    std::vector<int32_t> dims = LoadDims(s);
    std::string name = ReadStr(s);
    std::string target = ReadStr(s);
    uint8_t reserved = ReadByte(s);
    int32_t index = ReadInt32(s);
    Dims = std::move(dims);
    Name = std::move(name);
    Reserved = reserved;
    Index = index;
    SetTarget(target.empty() || !store ? nullptr : store->FindLinkTarget(target));
}

// ---- factory -----------------------------------------------------------------------------------------

std::unique_ptr<TCustomParam> CreateParam(TParamType code) {
    switch (code & 0x7F) {
    case PT_NONE: return std::make_unique<TParamVar>();
    case PT_INT: return std::make_unique<TParamInt>();
    case PT_FLOAT: return std::make_unique<TParamFloat>();
    case PT_BOOL: return std::make_unique<TParamFlag>();
    case PT_STR: return std::make_unique<TParamStr>();
    default: return nullptr;
    }
}

} // namespace vobe
