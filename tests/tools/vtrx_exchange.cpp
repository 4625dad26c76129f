#include "tests/tools/vtrx_exchange.h"

#include "serial/serial.h"

namespace {

constexpr ObjectId PORT = 0;
constexpr int SETTLE_MS = 100;

} // namespace

bool open_exchange_port(const std::string &path) {
    if (!serial_open(PORT, text_from_utf8(path.c_str()), 9600, 0, 8, 1.0f, 0, 64, 64))
        return false;
    serial_set_line(PORT, SERIAL_LINE_DTR, 1);
    serial_set_line(PORT, SERIAL_LINE_RTS, 1);
    delay_ms(SETTLE_MS);
    // Never more than is waiting: a Windows read waits for its full length.
    char stale[64];
    for (std::intptr_t waiting; (waiting = serial_input_available(PORT)) > 0;) {
        auto piece = static_cast<std::int32_t>(waiting < std::intptr_t{sizeof stale} ? waiting : sizeof stale);
        if (serial_read(PORT, stale, piece) <= 0)
            break;
    }
    return true;
}

std::optional<std::string> read_channel(int channel, int poll_limit, std::intptr_t *waiting) {
    const std::string command = "MR00" + std::to_string(100 + channel).substr(1) + ";";
    serial_write(PORT, command.data(), static_cast<std::int32_t>(command.size()));
    std::intptr_t count = 0;
    for (int polls = 0; polls < poll_limit && count != vtrx::REPLY_LENGTH; ++polls) {
        delay_ms(1);
        count = serial_input_available(PORT);
    }
    if (waiting)
        *waiting = count;
    if (count != vtrx::REPLY_LENGTH)
        return std::nullopt;
    std::string reply(vtrx::REPLY_LENGTH, '\0');
    reply.resize(static_cast<std::size_t>(serial_read(PORT, reply.data(), vtrx::REPLY_LENGTH)));
    return reply;
}

bool write_channel(int channel, const vtrx::Channel &value) {
    const std::string command = vtrx::build_write_command(channel, value);
    return serial_write(PORT, command.data(), static_cast<std::int32_t>(command.size())) ==
           static_cast<std::int32_t>(command.size());
}
