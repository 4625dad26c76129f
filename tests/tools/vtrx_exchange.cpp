#include "vtrx_exchange.h"

#include "radios.h"
#include "serial/serial.h"

std::vector<std::string> test_ports() { return radio_setup().ports; }

bool open_exchange_port(const std::string &path) {
    if (!serial_open(0, text_from_utf8(path.c_str()), 9600, 0, 8, 1.0f, 0, 64, 64))
        return false;
    serial_set_line(0, SERIAL_LINE_DTR, 1);
    serial_set_line(0, SERIAL_LINE_RTS, 1);
    delay_ms(100);
    // Never more than is waiting: a Windows read waits for its full length.
    char stale[64];
    for (std::intptr_t waiting; (waiting = serial_input_available(0)) > 0;)
        if (serial_read(0, stale, static_cast<std::int32_t>(waiting < 64 ? waiting : 64)) <= 0)
            break;
    return true;
}

std::optional<std::string> read_channel(int channel, int poll_limit) {
    const std::string command = "MR00" + std::to_string(100 + channel).substr(1) + ";";
    serial_write(0, command.data(), static_cast<std::int32_t>(command.size()));
    std::intptr_t count = 0;
    for (int polls = 0; polls < poll_limit && count != vtrx::REPLY_LENGTH; ++polls) {
        delay_ms(1);
        count = serial_input_available(0);
    }
    std::string reply(vtrx::REPLY_LENGTH, '\0');
    if (count != vtrx::REPLY_LENGTH ||
        serial_read(0, reply.data(), vtrx::REPLY_LENGTH) != vtrx::REPLY_LENGTH)
        return std::nullopt;
    return reply;
}
