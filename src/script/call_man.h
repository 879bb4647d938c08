// The interpreter that runs the script pages. This is the place-holder the project holds until the
// interpreter proper lands: it remembers the page it was started on and runs nothing.
#pragma once

#include <string>

namespace vobe {

class TCallMan {
public:
    virtual ~TCallMan() = default;
    // Starts the program on the named page (the whole call stack and event state start afresh).
    virtual void StartPage(const std::string& name) { FStartedPage = name; }
    // One frame of execution.
    virtual void RunFrame() {}

    const std::string& StartedPage() const { return FStartedPage; }

private:
    std::string FStartedPage;
};

} // namespace vobe
