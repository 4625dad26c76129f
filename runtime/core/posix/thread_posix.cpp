// Detached worker threads with a list of running threads, and delays, on
// POSIX threads.
#include "internal/thread_list.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <new>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr std::size_t THREAD_STACK_SIZE = 1048576;

struct ThreadRecord {
    pthread_t id;
    ThreadProcedure procedure;
    std::intptr_t argument;
    std::atomic<std::int32_t> pause_count;
};

struct ThreadNode {
    ThreadNode *next;     // older thread
    ThreadNode *previous; // newer thread
    ThreadRecord record;
};

pthread_once_t lock_once = PTHREAD_ONCE_INIT;
pthread_mutex_t list_lock;
ThreadNode *thread_list = nullptr;

// The record of the calling worker, for the pause handler: a signal handler
// must not take the list lock, the interrupted code may be holding it.
thread_local ThreadRecord *current_record = nullptr;

void create_lock() {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&list_lock, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

// The lock exists from the first use on and is never destroyed: detached
// workers may still take it after the layer has shut down.
void ensure_lock() { pthread_once(&lock_once, create_lock); }

void unlink_node(ThreadNode *node) {
    if (node->next)
        node->next->previous = node->previous;
    if (node->previous)
        node->previous->next = node->next;
    else
        thread_list = node->next;
}

bool node_listed(const ThreadNode *wanted) {
    for (ThreadNode *node = thread_list; node; node = node->next) {
        if (node == wanted)
            return true;
    }
    return false;
}

// Holds a worker while its pause count is raised. Nothing in this program
// raises it, so the handler returns at once; installing it keeps SIGUSR1 from
// ending the process.
void pause_handler(int) {
    int saved_errno = errno;
    ThreadRecord *record = current_record;
    while (record && record->pause_count.load() > 0)
        sleep(1);
    errno = saved_errno;
}

void *start_routine(void *argument) {
    auto *node = static_cast<ThreadNode *>(argument);
    // Waits until the creator has stored the thread id.
    pthread_mutex_lock(&list_lock);
    pthread_mutex_unlock(&list_lock);
    current_record = &node->record;
    std::signal(SIGUSR1, pause_handler);

    thread_run(node->record.procedure, node->record.argument);

    current_record = nullptr;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    pthread_mutex_lock(&list_lock);
    if (node_listed(node)) {
        unlink_node(node);
        delete node;
    }
    pthread_mutex_unlock(&list_lock);
    return nullptr;
}

bool start_thread(ThreadNode *node, pthread_t *id) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attributes, THREAD_STACK_SIZE);
    bool started = pthread_create(id, &attributes, start_routine, node) == 0;
    pthread_attr_destroy(&attributes);
    return started;
}

} // namespace

void thread_init() { ensure_lock(); }

void thread_shutdown() {
    // Running workers are neither waited for nor cancelled; they remove their
    // own records when they finish, so the list and its lock stay in place.
    ensure_lock();
}

std::intptr_t thread_create(ThreadProcedure procedure, std::intptr_t argument) {
    if (!procedure)
        return 0;
    ensure_lock();
    pthread_mutex_lock(&list_lock);
    auto *node = new (std::nothrow) ThreadNode{};
    if (!node) {
        pthread_mutex_unlock(&list_lock);
        return 0;
    }
    node->record.procedure = procedure;
    node->record.argument = argument;
    node->next = thread_list;
    if (node->next)
        node->next->previous = node;
    thread_list = node;

    pthread_t id{};
    std::intptr_t result = 0;
    if (start_thread(node, &id)) {
        node->record.id = id;
        result = static_cast<std::intptr_t>(id);
    } else {
        unlink_node(node);
        delete node;
    }
    pthread_mutex_unlock(&list_lock);
    return result;
}

void thread_list_lock() {
    ensure_lock();
    pthread_mutex_lock(&list_lock);
}

void thread_list_unlock() { pthread_mutex_unlock(&list_lock); }

std::int32_t thread_list_length() { return count_linked(thread_list); }

void delay_ms(std::int32_t ms) {
    if (ms <= 0)
        return;
    timespec duration{};
    duration.tv_sec = ms / 1000;
    duration.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    // One sleep: a signal that interrupts it ends the delay early.
    nanosleep(&duration, nullptr);
}
