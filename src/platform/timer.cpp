#include "platform/timer.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace vobe {

namespace {
std::atomic<bool> gVirtual{false};
std::atomic<uint32_t> gVirtualNow{0};
const auto gStart = std::chrono::steady_clock::now();
} // namespace

uint32_t TimeGetTime() {
    if (gVirtual.load(std::memory_order_relaxed)) return gVirtualNow.load(std::memory_order_relaxed);
    auto d = std::chrono::steady_clock::now() - gStart;
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

void SetVirtualClock(bool on, uint32_t start) {
    gVirtualNow.store(start);
    gVirtual.store(on);
}

bool VirtualClockOn() {
    return gVirtual.load();
}

void AdvanceVirtualClock(uint32_t ms) {
    gVirtualNow.fetch_add(ms);
}

void SleepMs(int32_t ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace vobe
