// The cabinet: a hidden container that freezes what it holds (no updates, no idle events, never
// drawn). Cabinet commands move controls of the back base into it and back.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeCabinet : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    uint8_t GetCompoType() override { return ctCabinet; }
    bool GetVisible() override { return false; }
    void Draw() override {}
};

} // namespace vobe
