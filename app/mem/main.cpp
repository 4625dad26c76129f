// kalvo-mem: the 100 memory channels as .mem files, CSV and on the radio,
// from the command line.
#include "commands.h"
#include "console.h"
#include "file/file.h"
#include "serial/serial.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Arguments = std::vector<WideText>;

struct Command {
    const char *name;
    const char *operands;
    std::size_t least, most; // operands
    const char *help;
    int (*run)(const Arguments &);
};

#ifdef _WIN32
#define KALVO_PORT_EXAMPLE "COM3"
#else
#define KALVO_PORT_EXAMPLE "/dev/ttyUSB0"
#endif

const Command COMMANDS[] = {
    {"show", "FILE.mem", 1, 1,
     "Prints the 100 channels of FILE.mem as the editor's list shows them.\n",
     [](const Arguments &a) { return show_channels(a[0]); }},
    {"export", "FILE.mem [OUT.csv]", 1, 2,
     "Writes the channels of FILE.mem as CSV to OUT.csv, or to standard output:\n"
     "a header Channel,Frequency,Mode,PreAtt, then one line per channel with the\n"
     "frequency in hertz and the editor's mode and pre-amp names; an empty\n"
     "channel has its number alone.\n",
     [](const Arguments &a) { return export_channels(a[0], a.size() > 1 ? std::optional(a[1]) : std::nullopt); }},
    {"import", "IN.csv OUT.mem", 2, 2,
     "Makes OUT.mem from the channels IN.csv names; the others are empty. IN.csv\n"
     "has the columns of an export (Channel, Frequency in hertz, Mode, PreAtt),\n"
     "or the generic layout of other tools (Location, Frequency in MHz, Mode);\n"
     "other columns are ignored. Frequencies 100000 ... 56000000 Hz, or empty\n"
     "for an empty channel; channels 0 ... 99, each at most once; modes USB, LSB,\n"
     "CW, CWR, DIG, AM, FM (the generic layout's digital modes go as DIG);\n"
     "pre-amp ---, PRE or ATT. Every fault is listed as IN.csv:LINE: what is\n"
     "wrong, and then nothing is written.\n",
     [](const Arguments &a) { return import_channels(a[0], a[1]); }},
    {"read", "PORT OUT.mem", 2, 2,
     "Reads the 100 channels from the radio on PORT (e.g. " KALVO_PORT_EXAMPLE ") into OUT.mem.\n"
     "Ctrl+C stops the read; nothing is written then.\n",
     [](const Arguments &a) { return read_channels(a[0], a[1]); }},
    {"write", "IN.mem PORT", 2, 2,
     "Writes the 100 channels of IN.mem to the radio on PORT (e.g. " KALVO_PORT_EXAMPLE "),\n"
     "empty ones included. Ctrl+C stops the write.\n",
     [](const Arguments &a) { return write_channels(a[0], a[1]); }},
};

constexpr const char *STATUS_HELP =
    "Exit status: 0 done, 1 a fault of the input or the radio, 2 a usage error.\n";

void print_usage(std::FILE *stream) {
    std::fprintf(stream, "Usage: kalvo-mem COMMAND OPERANDS\n"
                         "The 100 memory channels of a transceiver as .mem files, CSV and on the radio.\n\n");
    for (const Command &command : COMMANDS) std::fprintf(stream, "  kalvo-mem %s %s\n", command.name, command.operands);
    std::fprintf(stream, "\n\"kalvo-mem COMMAND --help\" tells more of each.\n%s", STATUS_HELP);
}

int usage_error(const std::string &what, const Command *command) {
    std::fprintf(stderr, "kalvo-mem: %s\n", what.c_str());
    if (command)
        std::fprintf(stderr, "Usage: kalvo-mem %s %s\n", command->name, command->operands);
    else
        print_usage(stderr);
    return EXIT_USAGE;
}

bool is_help(const WideText &argument) {
    return argument == u"--help" || argument == u"-h";
}

} // namespace

int main(int argc, char **argv) {
    const Arguments arguments = command_arguments(argc, argv);
    if (arguments.empty()) return usage_error("no command given", nullptr);
    if (is_help(arguments[0])) {
        print_usage(stdout);
        return EXIT_DONE;
    }
    const std::string name = text_to_utf8(arguments[0]);
    for (const Command &command : COMMANDS) {
        if (name != command.name) continue;
        const Arguments operands(arguments.begin() + 1, arguments.end());
        for (const WideText &operand : operands) {
            if (is_help(operand)) {
                std::printf("Usage: kalvo-mem %s %s\n%s%s", command.name, command.operands, command.help, STATUS_HELP);
                return EXIT_DONE;
            }
            if (operand.size() > 1 && operand[0] == u'-')
                return usage_error("unknown option " + text_to_utf8(operand), &command);
        }
        if (operands.size() < command.least || operands.size() > command.most)
            return usage_error(std::string(command.name) + " takes " + command.operands, &command);
        file_init();
        serial_init();
        return command.run(operands);
    }
    return usage_error("unknown command \"" + name + "\"", nullptr);
}
