#include "vtrx_radio.h"

namespace vtrx {
namespace {

constexpr char STRAY_BYTE = '?';
// Written over the last four frequency digits: no digit, no terminator.
constexpr char GARBAGE[] = "?x:/";
constexpr int GARBAGE_OFFSET = 6 + FREQUENCY_DIGITS - (sizeof GARBAGE - 1);

} // namespace

Outcome Radio::handle(const Command &command) {
    Outcome outcome;
    const bool faulty = handled_ >= faults_.after;
    if (faulty && faults_.hangup && !hung_up_) {
        hung_up_ = true;
        outcome.hangup = true;
        return outcome;
    }
    ++handled_;
    Channel &channel = memory_.channels[command.channel];
    if (command.kind == CommandKind::write) {
        // Frequency 0 empties the channel whatever the code bytes say.
        channel = command.value.frequency ? command.value : Channel{};
        outcome.stored = true;
        return outcome;
    }
    if (faulty && faults_.silent)
        return outcome;
    outcome.reply = build_reply(command.channel, channel, faulty ? faults_.reply_length : REPLY_LENGTH);
    if (!faulty)
        return outcome;
    if (faults_.garbage_digits)
        outcome.reply.replace(GARBAGE_OFFSET, sizeof GARBAGE - 1, GARBAGE);
    if (faults_.stray_byte)
        outcome.reply.insert(outcome.reply.begin(), STRAY_BYTE);
    outcome.delay_ms = faults_.reply_delay_ms;
    return outcome;
}

} // namespace vtrx
