// The variable dump of --dump-vars: every variable of the store except the system variables, sorted
// by the bytes of the Shift-JIS name, one line each "NAME\tTYPE\tVALUE\n" (TYPE int, float, bool, str
// or ref; VALUE the variable's own text); an array gives one line per element, named NAME[i] with the
// flat index.
#pragma once

#include <string>

namespace vobe {

class TParamCollection;

std::string DumpVariableStore(const TParamCollection& store);

} // namespace vobe
