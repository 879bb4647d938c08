// Scripted input (--input): any text parses or fails with a message, and the events come back in order.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vobe::TInputScript s;
    std::string error;
    if (s.Parse(std::string(reinterpret_cast<const char*>(data), size), error)) {
        const int32_t last = s.LastFrame();
        for (int32_t f = 1; f <= last && f < 1000; ++f) (void)s.EventsOf(f);
        (void)s.EventsOf(last);
    }
    return 0;
}
