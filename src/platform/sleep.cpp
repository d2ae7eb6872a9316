#include "platform/sleep.h"

#include <chrono>
#include <thread>

namespace {
std::function<void(uint32_t)> watcher;
}

void setSleepWatcher(std::function<void(uint32_t)> w) { watcher = std::move(w); }

void Sleep(uint32_t milliseconds) {
    if (watcher)
        watcher(milliseconds);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
