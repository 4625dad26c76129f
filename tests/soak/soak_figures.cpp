#include "tests/soak/soak_figures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Kept by the sanitizer's allocator (gcc ships no header that declares it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#define KALVO_SANITIZER_HEAP 1
#endif

std::int64_t resident_bytes() {
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

std::int64_t heap_bytes() {
#ifdef KALVO_SANITIZER_HEAP
    return static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
#else
    return -1;
#endif
}

int open_descriptors() {
    int count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count - 1; // the iterator's own descriptor
}

void print_figure(const std::string &name, std::int64_t value) {
    std::printf("kalvo-figure %s %lld\n", name.c_str(), static_cast<long long>(value));
    std::fflush(stdout);
}

int environment_number(const char *name, int fallback) {
    const char *text = std::getenv(name);
    if (!text || !*text) return fallback;
    char *end = nullptr;
    long value = std::strtol(text, &end, 10);
    return *end == '\0' && value >= 0 ? static_cast<int>(value) : fallback;
}
