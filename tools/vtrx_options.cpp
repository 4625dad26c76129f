#include "vtrx_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vtrx {
namespace {

constexpr int MAX_REPLY_LENGTH = 64;
constexpr int MIN_REPLY_LENGTH = 20; // head, digits, codes and the terminator

bool parse_int(const char *text, int low, int high, int &value) {
    errno = 0;
    char *end = nullptr;
    long number = std::strtol(text, &end, 10);
    if (errno || end == text || *end || number < low || number > high)
        return false;
    value = static_cast<int>(number);
    return true;
}

struct IntOption {
    const char *name;
    int low, high;
    int Options::*field = nullptr;
    int Faults::*fault = nullptr;
};

constexpr IntOption INT_OPTIONS[] = {
    {"--baud", 0, 4000000, &Options::baud, nullptr},
    {"--fault-after", 0, 1000000000, nullptr, &Faults::after},
    {"--reply-length", MIN_REPLY_LENGTH, MAX_REPLY_LENGTH, nullptr, &Faults::reply_length},
    {"--reply-delay", 0, 3600000, nullptr, &Faults::reply_delay_ms},
    {"--reopen-after", 0, 3600000, nullptr, &Faults::reopen_ms},
};

struct FlagOption {
    const char *name;
    bool Faults::*fault;
};

constexpr FlagOption FLAG_OPTIONS[] = {
    {"--silent", &Faults::silent},
    {"--stray-byte", &Faults::stray_byte},
    {"--garbage-digits", &Faults::garbage_digits},
    {"--hangup", &Faults::hangup},
    {"--refuse-input", &Faults::refuse_input},
};

struct PathOption {
    const char *name;
    std::string Options::*field;
};

constexpr PathOption PATH_OPTIONS[] = {
    {"--load", &Options::load_path},
    {"--save", &Options::save_path},
    {"--link", &Options::link_path},
};

// Tries the option tables in turn; 0 unknown, 1 consumed, -1 bad value.
int parse_one(const char *name, const char *value, Options &options, std::string &error) {
    for (const FlagOption &flag : FLAG_OPTIONS)
        if (!std::strcmp(name, flag.name)) {
            options.faults.*flag.fault = true;
            return 1;
        }
    if (!std::strcmp(name, "--help") || !std::strcmp(name, "-h")) {
        options.help = true;
        return 1;
    }
    for (const PathOption &path : PATH_OPTIONS)
        if (!std::strcmp(name, path.name)) {
            if (!value || !*value)
                return error = std::string(name) + " needs a path", -1;
            options.*path.field = value;
            return 2;
        }
    for (const IntOption &number : INT_OPTIONS)
        if (!std::strcmp(name, number.name)) {
            int parsed = 0;
            if (!value || !parse_int(value, number.low, number.high, parsed))
                return error = std::string(name) + " needs a number from " +
                               std::to_string(number.low) + " to " + std::to_string(number.high),
                       -1;
            if (number.field)
                options.*number.field = parsed;
            else
                options.faults.*number.fault = parsed;
            return 2;
        }
    error = std::string("unknown option ") + name;
    return 0;
}

} // namespace

bool parse_options(int argc, char **argv, Options &options, std::string &error) {
    for (int i = 1; i < argc;) {
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        int used = parse_one(argv[i], value, options, error);
        if (used <= 0)
            return false;
        i += used;
    }
    if (options.faults.reopen_ms >= 0 && !options.faults.hangup) {
        error = "--reopen-after needs --hangup";
        return false;
    }
    return true;
}

void print_help(const char *program) {
    std::printf("Usage: %s [options]\n"
                "A virtual transceiver with 100 memory channels on a pseudo-terminal.\n"
                "It prints the terminal's path on the first line of its output.\n"
                "\n"
                "  --load FILE          start from a 600-byte .mem file (default: all empty)\n"
                "  --save FILE          keep FILE up to date as a .mem file (written at start\n"
                "                       and after every memory write)\n"
                "  --link PATH          create a symbolic link PATH to the terminal, e.g.\n"
                "                       /dev/ttyUSB7; removed on exit (SIGINT, SIGTERM)\n"
                "  --baud N             pace both directions at N baud, 10 bits a byte\n"
                "                       (default 9600; 0 answers at once)\n"
                "\n"
                "Faults (for testing the editor's error handling):\n"
                "  --fault-after N      behave for the first N commands, then misbehave\n"
                "  --silent             do not answer memory reads\n"
                "  --reply-length N     replies of N bytes instead of 50 (%d ... %d)\n"
                "  --stray-byte         send one extra byte ahead of each reply\n"
                "  --garbage-digits     put non-digits among the frequency digits\n"
                "  --reply-delay MS     wait MS milliseconds before each reply\n"
                "  --hangup             hang the line up when the next command arrives\n"
                "  --reopen-after MS    with --hangup: open a new terminal MS milliseconds\n"
                "                       later, print its path and move the link to it\n"
                "  --refuse-input       take no byte from the start: the terminal's output\n"
                "                       is held, so every write to the device is refused,\n"
                "                       as by a device that no longer reads\n"
                "  --help               show this text\n",
                program, MIN_REPLY_LENGTH, MAX_REPLY_LENGTH);
}

} // namespace vtrx
