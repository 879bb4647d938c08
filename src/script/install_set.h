// The installer's record install.dat: which disk a folder is, the game's title, and whether all game
// data was copied to the hard disk.
#pragma once

#include <cstdint>
#include <string>

#include "archive/stream.h"

namespace vobe {

class TVobeInstallSet {
public:
    // Reads the record; damaged data raises an error naming install.dat.
    void LoadFromStream(TStream& s);

    int32_t Version = 0;
    int32_t DiskIndex = 0;
    std::string Title;
    bool Installed = false;
};

} // namespace vobe
