// Worker threads and delays on both systems. Linux hands out thread ids and
// drops a record when its procedure returns; Windows numbers threads 1, 2, 3
// ... and drops the records of ended threads at the next creation.
#include "core/core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#ifndef _WIN32
#include <pthread.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::atomic<int> finished{0};
std::atomic<bool> release{false};
std::atomic<std::intptr_t> own_id{0};

void count_up(std::intptr_t argument) { finished.fetch_add(static_cast<int>(argument)); }

void hold(std::intptr_t) {
#ifdef _WIN32
    own_id = 1;
#else
    own_id = static_cast<std::intptr_t>(pthread_self());
#endif
    while (!release.load())
        delay_ms(1);
    finished.fetch_add(1);
}

// Waits until count procedures have returned, and a moment more for their
// threads to end.
bool wait_for_finished(int count) {
    for (int i = 0; i < 5000 && finished.load() < count; ++i)
        delay_ms(1);
    delay_ms(200);
    return finished.load() == count;
}

TEST(Threads, ProceduresRunAndShutdownDoesNotWaitForThem) {
    thread_init();
    finished = 0;
    release = false;
    EXPECT_EQ(thread_create(nullptr, 0), 0);
    for (int i = 0; i < 20; ++i)
        ASSERT_NE(thread_create(count_up, 1), 0);
    ASSERT_TRUE(wait_for_finished(20));
#ifdef _WIN32
    EXPECT_GE(thread_count(), 1); // the last ones are kept until the next creation looks
    EXPECT_EQ(thread_create(hold, 0), 21); // a failed creation used no number
#else
    EXPECT_EQ(thread_count(), 0);
    std::intptr_t id = thread_create(hold, 0);
#endif
    EXPECT_EQ(thread_count(), 1);
    while (own_id.load() == 0)
        delay_ms(1);
#ifndef _WIN32
    EXPECT_EQ(own_id.load(), id);
    std::raise(SIGUSR1); // once a worker has started, SIGUSR1 no longer ends the process
#endif
    auto start = Clock::now();
    thread_shutdown();
    EXPECT_LT(Clock::now() - start, milliseconds(100));
    release = true;
    ASSERT_TRUE(wait_for_finished(21)); // it ran on to its end
    EXPECT_EQ(thread_count(), 0);
    thread_init();
    EXPECT_NE(thread_create(count_up, 1), 0);
    EXPECT_TRUE(wait_for_finished(22));
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
    EXPECT_LT(Clock::now() - start, milliseconds(20));
}

} // namespace
