// Blocks the calling thread, the user-interface thread included.
#pragma once

#include <cstdint>
#include <functional>

void Sleep(uint32_t milliseconds);

// Lets a test take the pause's place: to look at the screen during it, or
// to let it pass at once. An empty function restores the real pause.
void setSleepHook(std::function<void(uint32_t milliseconds)> hook);
