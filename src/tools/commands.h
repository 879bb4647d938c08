// The command groups of vobetool. Each takes the arguments after its group name (UTF-8, as given on
// the command line) and returns the exit status.
#pragma once

#include <string>
#include <vector>

namespace vobe::tool {

using Args = std::vector<std::string>;

int ArchiveCommand(const Args& args); // archive list|cat|extract|pack
int ExprCommand(const Args& args);    // expr ops|eval
int PageCommand(const Args& args);    // page dump
int ImageCommand(const Args& args);   // image info|topng|frompng
int BuildCommand(const Args& args);   // build SRC OUT

// One error line on standard error (the message is Shift-JIS); returns 1.
int Fail(const std::string& sjisMessage);

} // namespace vobe::tool
