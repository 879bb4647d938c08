// The system functions as the expression compiler and evaluator see them: number, name, argument
// limits and result type. The functions themselves are performed by the registered dispatcher.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "values/param.h"

namespace vobe {

struct TSysFuncInfo {
    const char* Name; // matched exactly, case-sensitively
    int8_t MinArgs;
    int8_t MaxArgs;    // -1: no limit
    TParamType Result; // PT_INT … PT_STR; PT_NONE for GetProp (the property's type)
};

constexpr int32_t SYS_FUNC_COUNT = 143;
constexpr int32_t SF_GETPROP = 2;

// Row k (0..142).
const TSysFuncInfo& SysFuncInfo(int32_t k);
// The number of a function name (exact, case-sensitive), or -1.
int32_t FindSysFunc(std::string_view name);

using TParamList = std::vector<std::unique_ptr<TCustomParam>>;

// What performs the functions: the system-function dispatcher registers itself at start-up. D is the
// destination, args the arguments (constants or bound variable references), lastIndex = count - 1.
// Errors it raises end the evaluation.
class ISysFunctions {
public:
    virtual ~ISysFunctions() = default;
    virtual void CallFunction(TCustomParam& D, int32_t k, int32_t lastIndex, const TParamList& args) = 0;
};

// Null until the dispatcher is created; an expression that calls a function then ends there.
extern ISysFunctions* SysFunctions;

} // namespace vobe
