// Detached worker threads with a list of started threads, and delays, on
// Win32 threads.
#include "internal/thread_list.h"

#include <new>
#include <windows.h>

#include <mmsystem.h>

namespace {

struct ThreadRecord {
    HANDLE handle;
    std::int32_t number;
    ThreadRecord *next;
};

// What the new thread runs: our procedures take a pointer-sized argument and
// return nothing, so they are not called as system thread routines directly.
struct ThreadStart {
    ThreadProcedure procedure;
    std::intptr_t argument;
};

INIT_ONCE lock_once = INIT_ONCE_STATIC_INIT;
INIT_ONCE timer_once = INIT_ONCE_STATIC_INIT;
CRITICAL_SECTION list_lock;
ThreadRecord *thread_list = nullptr;
std::int32_t next_number = 1;

BOOL CALLBACK create_lock(PINIT_ONCE, PVOID, PVOID *) {
    InitializeCriticalSection(&list_lock);
    return TRUE;
}

// The lock lives to the end of the process: threads keep running after the
// layer has shut down.
void ensure_lock() { InitOnceExecuteOnce(&lock_once, create_lock, nullptr, nullptr); }

BOOL CALLBACK raise_timer_resolution(PINIT_ONCE, PVOID, PVOID *) {
    timeBeginPeriod(1);
    return TRUE;
}

DWORD WINAPI start_routine(LPVOID parameter) {
    ThreadStart start = *static_cast<ThreadStart *>(parameter);
    delete static_cast<ThreadStart *>(parameter);
    thread_run(start.procedure, start.argument);
    return 0;
}

// Forgets the threads that have ended; the caller holds the lock.
void remove_ended() {
    ThreadRecord **link = &thread_list;
    while (ThreadRecord *record = *link) {
        if (WaitForSingleObject(record->handle, 0) == WAIT_OBJECT_0) {
            CloseHandle(record->handle);
            *link = record->next;
            delete record;
        } else {
            link = &record->next;
        }
    }
}

} // namespace

void thread_init() { ensure_lock(); }

void thread_shutdown() {
    ensure_lock();
    EnterCriticalSection(&list_lock);
    while (ThreadRecord *record = thread_list) {
        thread_list = record->next;
        CloseHandle(record->handle);
        delete record;
    }
    LeaveCriticalSection(&list_lock);
}

std::intptr_t thread_create(ThreadProcedure procedure, std::intptr_t argument) {
    if (!procedure)
        return 0;
    ensure_lock();
    auto *record = new (std::nothrow) ThreadRecord{};
    auto *start = new (std::nothrow) ThreadStart{procedure, argument};
    if (!record || !start) {
        delete record;
        delete start;
        return 0;
    }
    // 4096 bytes is the initial commitment; the reserve stays the program's 1 MiB.
    DWORD id = 0;
    record->handle = CreateThread(nullptr, 4096, start_routine, start, 0, &id);
    if (!record->handle) {
        delete record;
        delete start;
        return 0;
    }
    EnterCriticalSection(&list_lock);
    remove_ended();
    record->number = next_number++;
    record->next = thread_list;
    thread_list = record;
    std::int32_t number = record->number;
    LeaveCriticalSection(&list_lock);
    return number;
}

void thread_list_lock() {
    ensure_lock();
    EnterCriticalSection(&list_lock);
}

void thread_list_unlock() { LeaveCriticalSection(&list_lock); }

std::int32_t thread_list_length() { return count_linked(thread_list); }

void delay_ms(std::int32_t ms) {
    // A negative value would be taken as a wait of about 49 days.
    if (ms < 0)
        return;
    InitOnceExecuteOnce(&timer_once, raise_timer_resolution, nullptr, nullptr);
    Sleep(static_cast<DWORD>(ms));
}
