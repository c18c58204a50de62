#include "platform/tickcount.h"

#include <chrono>

namespace {

std::function<uint32_t()> &TickSource()
{
    static std::function<uint32_t()> source;
    return source;
}

} // namespace

uint32_t GetTickCount()
{
    if (const auto &source = TickSource())
        return source();
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

void SetTickSource(std::function<uint32_t()> source)
{
    TickSource() = std::move(source);
}
