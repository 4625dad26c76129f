#include "console.h"

#include <atomic>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

namespace {

std::atomic<bool> interrupt_seen{false};

// Runs on a thread of its own: only tells the exchange, which closes the
// port and ends the program on its next poll.
BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    interrupt_seen = true;
    return TRUE;
}

} // namespace

// From the UTF-16 command line: argv holds the names in the ANSI code page,
// which cannot spell every file name.
std::vector<WideText> command_arguments(int, char **) {
    std::vector<WideText> arguments;
    int count = 0;
    LPWSTR *words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(reinterpret_cast<const char16_t *>(words[i]));
    LocalFree(words);
    return arguments;
}

void catch_interrupts() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool interrupted() { return interrupt_seen.load(); }

bool is_terminal(std::FILE *stream) { return _isatty(_fileno(stream)) != 0; }

void binary_output(std::FILE *stream) { _setmode(_fileno(stream), _O_BINARY); }
