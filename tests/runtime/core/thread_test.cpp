// Worker threads and delays on both systems.
#include "core/core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::atomic<int> finished{0}, ended{0};
std::atomic<bool> started{false}, release{false};

void count_up(std::intptr_t argument) { finished.fetch_add(static_cast<int>(argument)); }
void count_end() { ended.fetch_add(1); }

void hold(std::intptr_t) {
    started = true;
    while (!release.load())
        delay_ms(1);
    finished.fetch_add(1);
}

bool wait_until(bool (*done)()) {
    for (int i = 0; i < 5000 && !done(); ++i)
        delay_ms(1);
    return done();
}

TEST(Threads, ProceduresRunAndShutdownDoesNotWaitForThem) {
    thread_init();
    thread_set_end_hook(count_end);
    EXPECT_EQ(thread_create(nullptr, 0), 0);
    for (int i = 0; i < 20; ++i)
        ASSERT_NE(thread_create(count_up, 1), 0);
    ASSERT_TRUE(wait_until([] { return finished.load() == 20; }));
    EXPECT_TRUE(wait_until([] { return ended.load() == 20; })) << ended.load();
    thread_set_end_hook(nullptr);
    ASSERT_NE(thread_create(hold, 0), 0);
    while (!started.load())
        delay_ms(1);
    EXPECT_GE(thread_count(), 1); // the held worker's record is kept
#ifndef _WIN32
    std::raise(SIGUSR1); // once a worker has started, SIGUSR1 no longer ends the process
#endif
    auto start = Clock::now();
    thread_shutdown();
    EXPECT_LT(Clock::now() - start, milliseconds(1000)); // not waiting for the held worker
    release = true;
    ASSERT_TRUE(wait_until([] { return finished.load() == 21; })); // it ran on to its end
    EXPECT_TRUE(wait_until([] { return thread_count() == 0; })) << thread_count();
    EXPECT_EQ(ended.load(), 20); // no hook set any more
    thread_init();
    EXPECT_NE(thread_create(count_up, 1), 0);
    EXPECT_TRUE(wait_until([] { return finished.load() == 22; }));
}

TEST(Delay, SleepsTheGivenTimeAndReturnsAtOnceForZeroAndNegativeValues) {
    auto start = Clock::now();
    delay_ms(1500);
    EXPECT_GE(Clock::now() - start, milliseconds(1490));
    EXPECT_LT(Clock::now() - start, milliseconds(1900));
    start = Clock::now();
    delay_ms(0);
    delay_ms(-5);
    delay_ms(-2147483647 - 1); // on Windows a wait of about 24 days if taken as given
    EXPECT_LT(Clock::now() - start, milliseconds(1000)); // at once, on any busy machine
}

} // namespace
