#include "framework/Clock.h"

#include <mutex>

namespace {
std::mutex sourceLock;
std::function<std::time_t()>& Source() {
    static std::function<std::time_t()> source;
    return source;
}
}  // namespace

std::time_t CurrentTime() {
    std::function<std::time_t()> source;
    {
        std::lock_guard<std::mutex> lock(sourceLock);
        source = Source();
    }
    return source ? source() : std::time(nullptr);
}

std::function<std::time_t()> SetClockSource(std::function<std::time_t()> source) {
    std::lock_guard<std::mutex> lock(sourceLock);
    auto previous = std::move(Source());
    Source() = std::move(source);
    return previous;
}
