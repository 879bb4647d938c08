// CD-ROM drives: the mounts of type iso9660 or udf stand in for the drive letters of CD-ROM drives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vobe {

struct TMountEntry {
    std::string MountPoint; // real path, escapes (\040 ...) decoded
    std::string FsType;
};

// Parses the text of /proc/self/mountinfo; malformed lines are skipped.
std::vector<TMountEntry> ParseMountInfo(std::string_view text);
// The current mounts (empty when they cannot be read).
std::vector<TMountEntry> ReadMounts();

bool IsCdromFsType(std::string_view fsType);

// True when the real path lies on a CD-ROM mount (the mount with the longest matching mount point).
bool IsOnCdrom(std::string_view realPath, const std::vector<TMountEntry>& mounts);
bool IsOnCdrom(std::string_view realPath);

// The roots of the mounted CD-ROMs, as player paths with a trailing '\', in mount order.
std::vector<std::string> CdRoots();

} // namespace vobe
