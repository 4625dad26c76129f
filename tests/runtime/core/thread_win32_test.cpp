// Worker threads on Win32: numbered threads whose records are
// dropped once a later creation finds them ended.
#include "core/core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> finished{0};
std::atomic<bool> release{false};

void quick(std::intptr_t argument) { finished.fetch_add(static_cast<int>(argument)); }

void hold(std::intptr_t)
{
    while (!release.load())
        delay_ms(1);
    finished.fetch_add(1);
}

void wait_for_finished(int count)
{
    for (int i = 0; i < 5000 && finished.load() < count; ++i)
        delay_ms(1);
    ASSERT_EQ(finished.load(), count);
    delay_ms(200); // the thread ends a moment after its procedure returns
}

TEST(Win32Threads, NumbersCountUpAndEndedRecordsGoAtTheNextCreation)
{
    thread_init();
    finished = 0;
    std::intptr_t first = thread_create(quick, 1);
    EXPECT_EQ(first, 1); // the first thread of the process
    EXPECT_EQ(thread_create(nullptr, 0), 0);
    EXPECT_EQ(thread_create(quick, 1), first + 1); // a failed creation used no number
    wait_for_finished(2);
    EXPECT_EQ(thread_count(), 2); // kept until the next creation looks

    release = false;
    EXPECT_EQ(thread_create(hold, 0), first + 2);
    EXPECT_EQ(thread_count(), 1);
    release = true;
    wait_for_finished(3);
    thread_shutdown();
    EXPECT_EQ(thread_count(), 0);
}

TEST(Win32Threads, ShutdownForgetsRunningThreadsWithoutWaiting)
{
    thread_init();
    finished = 0;
    release = false;
    ASSERT_NE(thread_create(hold, 0), 0);
    ASSERT_NE(thread_create(hold, 0), 0);
    auto start = Clock::now();
    thread_shutdown();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(thread_count(), 0);
    release = true;
    wait_for_finished(2); // both ran on to the end
    thread_init();
    EXPECT_NE(thread_create(quick, 1), 0);
    wait_for_finished(3);
}

} // namespace
