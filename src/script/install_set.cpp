#include "script/install_set.h"

#include <cctype>
#include <cstring>

#include "platform/cp932.h"

namespace vobe {

namespace {

void Skip(TStream& s, int64_t n) {
    if (n > s.Remaining()) throw EStreamError("install.dat");
    s.Seek(n, soCurrent);
}

void SkipStrings(TStream& s, int32_t n) {
    // Each string takes at least its length.
    if (n > s.Remaining() / 4) throw EStreamError("install.dat");
    for (int32_t i = 0; i < n; ++i) ReadStr(s);
}

} // namespace

void TVobeInstallSet::LoadFromStream(TStream& s) {
    try {
        Version = 0;
        char magic[5] = {};
        int64_t start = s.GetPosition();
        if (s.Read(magic, 5) == 5 && magic[0] == 'i' && magic[1] == 's' &&
            std::isdigit((unsigned char)magic[2]) && std::isdigit((unsigned char)magic[3]) &&
            std::isdigit((unsigned char)magic[4])) {
            Version = (magic[2] - '0') * 100 + (magic[3] - '0') * 10 + (magic[4] - '0');
        } else {
            s.SetPosition(start);
        }
        DiskIndex = ReadInt32(s);
        Title = ReadStr(s);
        for (int i = 0; i < 3; ++i) ReadStr(s);
        ReadByte(s);
        ReadStr(s);
        ReadByte(s);
        int32_t n = ReadInt32(s);
        ReadStr(s);
        ReadInt32(s);
        ReadByte(s);
        ReadByte(s);
        ReadStr(s);
        ReadStr(s);
        const int64_t valueSize = Version >= 100 ? 8 : 4;
        if (n < 0 || n > s.Remaining() / (4 * valueSize)) throw EStreamError("install.dat");
        Skip(s, static_cast<int64_t>(n) * 4 * valueSize);
        Skip(s, 4 * valueSize);
        ReadByte(s);
        if (Version >= 101) ReadByte(s);
        if (Version >= 102) SkipStrings(s, ReadInt32(s));
        Installed = false;
        if (Version >= 103) Installed = ReadByte(s) != 0;
        if (Version >= 104) ReadByte(s);
        if (Version >= 105) ReadByte(s);
        if (Version >= 106) SkipStrings(s, ReadInt32(s));
        if (Version >= 107) ReadStr(s);
    } catch (const EStreamError&) {
        static const std::string msg = SJ("install.dat が壊れています");
        throw EVobeError(msg);
    }
}

} // namespace vobe
