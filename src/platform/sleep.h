// Blocks the calling thread, the user-interface thread included.
#pragma once

#include <cstdint>
#include <functional>

void Sleep(uint32_t milliseconds);

// Lets a test look at the screen during a pause; the pause itself still happens.
void setSleepWatcher(std::function<void(uint32_t milliseconds)> watcher);
