#pragma once

#include <functional>

// Blocks the calling thread. Tests can replace the platform's Sleep to keep
// retry pauses short; the product never does.
void SleepFor(unsigned milliseconds);

// Replaces the sleep for the whole process; an empty hook restores the
// platform's Sleep. Returns the previous hook.
using SleepHook = std::function<void(unsigned milliseconds)>;
SleepHook SetSleepHook(SleepHook hook);
