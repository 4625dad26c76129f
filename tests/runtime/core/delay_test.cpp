#include "core/core.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

TEST(Delay, SleepsTheGivenTimeAndReturnsAtOnceForZeroAndNegativeValues)
{
    auto start = Clock::now();
    delay_ms(1500);
    auto slept = Clock::now() - start;
    EXPECT_GE(slept, std::chrono::milliseconds(1490));
    EXPECT_LT(slept, std::chrono::milliseconds(1900));
    start = Clock::now();
    delay_ms(0);
    delay_ms(-5);
    delay_ms(-2147483647 - 1); // on Windows a wait of about 24 days if taken as given
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(20));
}

} // namespace
