// Trace points and the trace log.
//
// `Trace` names each start-up and shutdown step; the player itself writes nothing for it, but a hook
// can watch the steps (the tests check their order through it).
// The trace log is the interpreter's: one line per command, appended to the file of --trace when one
// was given (the role of the optional logging library).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vobe {

void Trace(const char* step);
using TTraceHook = std::function<void(const char* step)>;
void SetTraceHook(TTraceHook hook);

// Opens (appending, creating it when needed) the trace log at a real path; false when it cannot be
// opened.
bool VobeLogOpen(const std::string& realPath);
void VobeLogClose();
// True while a trace log is open: the interpreter formats its lines only then.
bool VobeLogActive();
// Writes one line (Shift-JIS, without line end) as UTF-8 with LF.
void VobeLogWrite(std::string_view sjisLine);

} // namespace vobe
