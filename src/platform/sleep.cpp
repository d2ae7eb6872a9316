#include "platform/sleep.h"

#include <chrono>
#include <thread>

namespace {
std::function<void(uint32_t)> hook;
}

void setSleepHook(std::function<void(uint32_t)> h) { hook = std::move(h); }

void Sleep(uint32_t milliseconds) {
    if (hook)
        hook(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
