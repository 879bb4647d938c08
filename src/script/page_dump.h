// A readable listing of a compiled page, as `vobetool page dump` prints it (UTF-8).
#pragma once

#include <string>

#include "script/page.h"

namespace vobe {

// Header lines, then one line per command:
//   INDEX TAB INDENT TAB FLAGS TAB LINE TAB KIND TAB field=value ...
// FLAGS is two characters: 's' or '-' for the stored skip flag, 'c' or '-' for the continue flag.
// Fields follow in stored order; an expression is its operation list in braces, operations separated
// by "; " and written as `vobetool expr ops` writes them with spaces for tabs; strings are quoted.
std::string DumpPage(TPage& page);

// One expression in the listing's form: "{}" when it has no operation.
std::string DumpExpr(const TVobeParser& e);

} // namespace vobe
