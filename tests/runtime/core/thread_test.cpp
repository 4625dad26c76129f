#include "core/core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <pthread.h>

namespace {

using Clock = std::chrono::steady_clock;

bool wait_for_no_threads()
{
    for (int i = 0; i < 2000 && thread_count() != 0; ++i)
        delay_ms(1);
    return thread_count() == 0;
}

std::atomic<int> finished{0};

void count_up(std::intptr_t argument)
{
    finished.fetch_add(static_cast<int>(argument));
}

TEST(Threads, RecordsVanishWhenProceduresReturn)
{
    thread_init();
    finished = 0;
    for (int i = 0; i < 20; ++i)
        EXPECT_NE(thread_create(count_up, 1), 0);
    EXPECT_TRUE(wait_for_no_threads());
    EXPECT_EQ(finished.load(), 20);
    EXPECT_EQ(thread_create(nullptr, 0), 0);
}

std::atomic<std::intptr_t> own_id{0};
std::atomic<int> records_at_start{0};
std::atomic<bool> release{false};

void hold(std::intptr_t)
{
    records_at_start = thread_count();
    own_id = static_cast<std::intptr_t>(pthread_self());
    while (!release.load())
        delay_ms(1);
}

TEST(Threads, WorkerRunsWithItsRecordListedAndShutdownDoesNotWait)
{
    thread_init();
    release = false;
    own_id = 0;
    std::intptr_t id = thread_create(hold, 0);
    EXPECT_NE(id, 0);
    while (own_id.load() == 0)
        delay_ms(1);
    EXPECT_EQ(own_id.load(), id);
    EXPECT_EQ(records_at_start.load(), 1);
    // Once a worker has started, SIGUSR1 no longer ends the process.
    std::raise(SIGUSR1);
    auto start = Clock::now();
    thread_shutdown();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(thread_count(), 1);
    release = true;
    EXPECT_TRUE(wait_for_no_threads());
}

std::atomic<int> mismatches{0};

void build_commands(std::intptr_t)
{
    for (int channel = 0; channel < 2000; ++channel) {
        WideText command = u"MR00" + text_right(u"0" + text_str(channel % 100), 2) + u";";
        std::string bytes = text_to_utf8(command);
        if (text_val(text_mid(text_from_utf8(bytes.c_str()), 5, 2)) != channel % 100)
            mismatches.fetch_add(1);
    }
}

TEST(Threads, TwoThreadsBuildTextsAtOnce)
{
    mismatches = 0;
    EXPECT_NE(thread_create(build_commands, 0), 0);
    build_commands(0);
    EXPECT_TRUE(wait_for_no_threads());
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
