#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/cp932.h"
#include "platform/paths.h"

namespace vobe {

std::string InstanceLockFolder() {
    const char* r = std::getenv("XDG_RUNTIME_DIR");
    if (r && *r) return r;
    std::string tmp = RealPath(TempFolder());
    if (!tmp.empty() && tmp.back() == '/') tmp.pop_back();
    return tmp;
}

std::string InstanceLockPath(const std::string& instanceName, const std::string& lockFolder) {
    std::string name = SjisToUtf8(instanceName);
    for (char& c : name)
        if (c == '/' || c == '\0') c = '-';
    if (name.size() > 160) {
        // FNV-1a keeps distinct long names apart while staying within a file name's limit.
        uint64_t h = 1469598103934665603ull;
        for (unsigned char c : instanceName) h = (h ^ c) * 1099511628211ull;
        char hex[17];
        std::snprintf(hex, sizeof(hex), "%016llx", static_cast<unsigned long long>(h));
        name = name.substr(name.size() - 120) + "-" + hex;
        // Do not start in the middle of a UTF-8 sequence.
        size_t k = 0;
        while (k < name.size() && (static_cast<unsigned char>(name[k]) & 0xC0) == 0x80) ++k;
        name.erase(0, k);
    }
    return lockFolder + "/vobeplayer-" + name + ".lock";
}

TInstanceResult AcquireInstanceMutex(const std::string& instanceName, TInstanceMutex& mutex,
                                     const std::string& lockFolder) {
    mutex.Handle = -1;
    std::string path = InstanceLockPath(instanceName, lockFolder);
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return TInstanceResult::Unavailable;
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? TInstanceResult::Exists : TInstanceResult::Unavailable;
    }
    mutex.Handle = fd;
    return TInstanceResult::Acquired;
}

void ReleaseInstanceMutex(TInstanceMutex& mutex) {
    if (mutex.Handle >= 0) {
        ::flock(mutex.Handle, LOCK_UN);
        ::close(mutex.Handle);
    }
    mutex.Handle = -1;
}

} // namespace vobe
