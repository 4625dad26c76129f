#include "exchange.h"
#include "serial/serial.h"

namespace {

enum class PollResult { ready, timed_out, stopped };

// One exchange under way: its side, its buffers, and what ended it.
struct Exchange {
    ExchangeSide &side;
    ExchangeBuffers buffers;

    void tell(const char16_t *message) {
        if (!side.stopping()) side.fault(message);
    }

    // Polls every millisecond until ready() holds. Reaching the poll limit
    // counts as a time-out even when ready() holds at that last poll.
    template <typename Ready> PollResult poll_until(Ready ready) {
        int polls = 0;
        do {
            delay_ms(POLL_INTERVAL_MS);
            ++polls;
            if (side.stopping()) return PollResult::stopped;
        } while (!ready() && polls < POLL_LIMIT);
        return polls < POLL_LIMIT ? PollResult::ready : PollResult::timed_out;
    }

    // Drops what was waiting when the port came up, in pieces no larger than
    // the receive buffer however much is waiting.
    void discard_stale_input() {
        std::intptr_t waiting = serial_input_available(EXCHANGE_PORT);
        while (waiting > 0) {
            std::int32_t piece = waiting < EXCHANGE_BUFFER_SIZE ? static_cast<std::int32_t>(waiting)
                                                                : EXCHANGE_BUFFER_SIZE;
            if (serial_read(EXCHANGE_PORT, buffers.rx, piece) <= 0) break;
            waiting -= piece;
        }
    }

    // Opens the port and lets the line settle; false (after telling) when the
    // port does not open.
    bool open(const WideText &port) {
        if (serial_open(EXCHANGE_PORT, port, 9600, SERIAL_PARITY_NONE, 8, 1.0f, SERIAL_HANDSHAKE_NONE, 64, 64) == 0) {
            tell(u"Can't open port!");
            return false;
        }
        serial_set_line(EXCHANGE_PORT, SERIAL_LINE_DTR, 1);
        serial_set_line(EXCHANGE_PORT, SERIAL_LINE_RTS, 1);
        delay_ms(SETTLE_DELAY_MS);
        discard_stale_input();
        return true;
    }

    // False when the port did not take every byte: the exchange waits for an
    // empty output queue before each command, so only a device that went
    // away (an adapter pulled out, a line hung up) refuses one.
    bool send_command(const WideText &command) {
        int length = command_to_bytes(command, buffers.tx, EXCHANGE_BUFFER_SIZE);
        return serial_write(EXCHANGE_PORT, buffers.tx, length) == length;
    }

    ExchangeEnd end_of(PollResult result) {
        if (result == PollResult::timed_out) tell(u"TRX not responding!");
        return result == PollResult::stopped ? ExchangeEnd::stopped : ExchangeEnd::no_answer;
    }

    ExchangeEnd read_channels() {
        send_command(read_command(0));
        for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
            if (side.stopping()) return ExchangeEnd::stopped;
            PollResult result =
                poll_until([] { return serial_input_available(EXCHANGE_PORT) == REPLY_LENGTH; });
            if (result != PollResult::ready) return end_of(result);
            serial_read(EXCHANGE_PORT, buffers.rx, REPLY_LENGTH);
            Channel record = decode_reply(buffers.rx);
            // The next request goes out first, so the line carries it while
            // the channel is being handed over; only one reply is ever on its way.
            if (channel + 1 < CHANNEL_COUNT) send_command(read_command(channel + 1));
            side.received(channel, record);
            side.progress(channel);
        }
        return ExchangeEnd::done;
    }

    ExchangeEnd write_channels() {
        for (int channel = 0; channel < CHANNEL_COUNT; ++channel) {
            if (side.stopping()) return ExchangeEnd::stopped;
            Channel record = side.to_send(channel);
            // The editor's rows read as empty once its toolkit is going down.
            if (side.stopping()) return ExchangeEnd::stopped;
            // Nothing answers a write, so a refused command is the only sign
            // that the radio is gone; without this check the write would end
            // as if every channel had been sent.
            if (!send_command(write_command(channel, record))) {
                tell(u"TRX not responding!");
                return ExchangeEnd::no_answer;
            }
            PollResult result =
                poll_until([] { return serial_output_pending(EXCHANGE_PORT) == 0; });
            if (result != PollResult::ready) return end_of(result);
            side.progress(channel);
        }
        return ExchangeEnd::done;
    }

    ExchangeEnd run(const WideText &port, ExchangeEnd (Exchange::*channels)()) {
        if (side.stopping()) return ExchangeEnd::stopped;
        if (!open(port)) return ExchangeEnd::no_port;
        ExchangeEnd end = (this->*channels)();
        serial_close(EXCHANGE_PORT);
        return end;
    }
};

} // namespace

ExchangeEnd read_radio(const WideText &port, ExchangeSide &side, ExchangeBuffers buffers) {
    return Exchange{side, buffers}.run(port, &Exchange::read_channels);
}

ExchangeEnd write_radio(const WideText &port, ExchangeSide &side, ExchangeBuffers buffers) {
    return Exchange{side, buffers}.run(port, &Exchange::write_channels);
}
