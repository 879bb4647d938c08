#include "platform/trace.h"

#include <memory>
#include <mutex>

#include "platform/cp932.h"
#include "platform/file.h"

namespace vobe {

namespace {
TTraceHook gHook;
std::mutex gLogLock;
std::unique_ptr<TPlatformFile> gLog;
} // namespace

void Trace(const char* step) {
    if (gHook) gHook(step);
}

void SetTraceHook(TTraceHook hook) {
    gHook = std::move(hook);
}

bool VobeLogOpen(const std::string& realPath) {
    std::lock_guard<std::mutex> g(gLogLock);
    gLog = TPlatformFile::Open(realPath, TFileAccess::Write, true, false);
    if (!gLog) return false;
    gLog->Seek(0, 2);
    return true;
}

void VobeLogClose() {
    std::lock_guard<std::mutex> g(gLogLock);
    gLog.reset();
}

bool VobeLogActive() {
    std::lock_guard<std::mutex> g(gLogLock);
    return gLog != nullptr;
}

void VobeLogWrite(std::string_view sjisLine) {
    std::lock_guard<std::mutex> g(gLogLock);
    if (!gLog) return;
    // One write per line, so that the lines before a crash are in the file.
    std::string line = SjisToUtf8(sjisLine);
    line += '\n';
    gLog->Write(line.data(), static_cast<int64_t>(line.size()));
}

} // namespace vobe
