#include "platform/file.h"

#include "platform/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vobe {

std::unique_ptr<TPlatformFile> TPlatformFile::Open(const std::string& realPath, TFileAccess access,
                                                   bool create, bool truncate) {
    int flags = O_CLOEXEC;
    switch (access) {
    case TFileAccess::Read: flags |= O_RDONLY; break;
    case TFileAccess::Write: flags |= O_WRONLY; break;
    case TFileAccess::ReadWrite: flags |= O_RDWR; break;
    }
    if (create) flags |= O_CREAT;
    if (truncate) flags |= O_TRUNC;
    int fd;
    do {
        fd = ::open(realPath.c_str(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TPlatformFile>(new TPlatformFile(fd, realPath));
}

TPlatformFile::~TPlatformFile() {
    ::close(fd_);
}

int64_t TPlatformFile::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t r = ::read(fd_, p + done, static_cast<size_t>(count - done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += r;
    }
    return done;
}

int64_t TPlatformFile::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    auto* p = static_cast<const char*>(buffer);
    while (done < count) {
        ssize_t r = ::write(fd_, p + done, static_cast<size_t>(count - done));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += r;
    }
    return done;
}

int64_t TPlatformFile::Seek(int64_t offset, int origin) {
    int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t TPlatformFile::Size() const {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return 0;
    return static_cast<int64_t>(st.st_size);
}

bool TPlatformFile::Truncate(int64_t size) {
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

bool TPlatformFile::Flush() {
    return ::fsync(fd_) == 0;
}

bool FileExists(const std::string& playerPath) {
    struct stat st;
    return ::stat(RealPath(playerPath).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& playerPath) {
    struct stat st;
    return ::stat(RealPath(playerPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& playerPath) {
    std::string real = RealPath(playerPath);
    return ::unlink(real.c_str()) == 0 || errno == ENOENT;
}

bool CreateDir(const std::string& playerPath) {
    std::string real = RealPath(playerPath);
    return ::mkdir(real.c_str(), 0755) == 0 || errno == EEXIST;
}

namespace {
std::mutex gExitLock;
std::vector<std::string> gExitDeletions;
} // namespace

void AddExitDeletion(const std::string& playerPath) {
    std::lock_guard<std::mutex> g(gExitLock);
    gExitDeletions.push_back(playerPath);
}

void DeleteExitFiles() {
    std::vector<std::string> list;
    {
        std::lock_guard<std::mutex> g(gExitLock);
        list.swap(gExitDeletions);
    }
    for (const auto& p : list) DeleteFile(p);
}

} // namespace vobe
