// The factory that turns a command type code into a command of its class.
#pragma once

#include <memory>

#include "script/command.h"

namespace vobe {

// A new command of the class of `code` (0-60), bound to `page`. Any other code raises
// "不正なコマンド".
std::unique_ptr<TCommand> CreateCommand(int32_t code, TPage* page);

// The class name of a command kind ("TComIf" ... "TComCabinetLoad"); "" for an unknown kind.
const char* CommandClassName(int32_t kind);

} // namespace vobe
