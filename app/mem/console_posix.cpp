#include "console.h"

#include <csignal>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interrupt_seen = 0;

void on_interrupt(int) { interrupt_seen = 1; }

} // namespace

std::vector<WideText> command_arguments(int argc, char **argv) {
    std::vector<WideText> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(text_from_file_name(argv[i]));
    return arguments;
}

void catch_interrupts() {
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() { return interrupt_seen != 0; }

bool is_terminal(std::FILE *stream) { return isatty(fileno(stream)) != 0; }

void binary_output(std::FILE *) {}
