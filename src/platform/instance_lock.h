// The single-instance marker: a lock file named after the instance name, held with flock from start to
// exit. The lock goes away with the process, so a crashed player never blocks the next start.
#pragma once

#include <string>

namespace vobe {

enum class TInstanceResult {
    Acquired,    // this process holds the marker
    Exists,      // another process holds it
    Unavailable, // no marker could be made (no writable folder); the player runs without one
};

struct TInstanceMutex {
    int Handle = -1; // file descriptor while held
};

// The folder of the lock files: XDG_RUNTIME_DIR when set, else the temp folder (real path, with '/').
std::string InstanceLockFolder();

// The lock file's real path for an instance name (Shift-JIS). Long names are shortened by a hash.
std::string InstanceLockPath(const std::string& instanceName, const std::string& lockFolder);

TInstanceResult AcquireInstanceMutex(const std::string& instanceName, TInstanceMutex& mutex,
                                     const std::string& lockFolder = InstanceLockFolder());
void ReleaseInstanceMutex(TInstanceMutex& mutex);

} // namespace vobe
