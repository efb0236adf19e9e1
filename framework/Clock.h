#pragma once

#include <ctime>
#include <functional>

// The current time in whole seconds. Tests can replace the source to pin
// "now"; the product never does.
std::time_t CurrentTime();

// Replaces the time source for the whole process; an empty function restores
// the system clock. Returns the previous source.
std::function<std::time_t()> SetClockSource(std::function<std::time_t()> source);
