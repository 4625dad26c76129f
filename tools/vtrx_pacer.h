// Line timing of the virtual transceiver: at N baud each byte takes 10 bit
// times on the wire, in each direction independently.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace vtrx {

using Clock = std::chrono::steady_clock;

class LinePacer {
public:
    explicit LinePacer(int baud);

    // Bytes the pseudo-terminal handed over at `now`. Each counts as received
    // one byte time after the previous one finished (or after `now`).
    void arrive(const std::uint8_t *bytes, std::size_t count, Clock::time_point now);
    // The next byte whose reception has completed by `now`, with the moment
    // it completed.
    bool take_received(Clock::time_point now, std::uint8_t &byte, Clock::time_point &done);

    // Queues a message whose first bit goes out no earlier than `start`. It
    // leaves in chunks, each released when its last byte's line time is over.
    void send(const std::string &bytes, Clock::time_point start);
    // Appends every byte released by `now` to out and forgets them.
    void take_output(Clock::time_point now, std::string &out);
    // Puts back the tail of a write the terminal did not take; it goes first.
    void put_back(const std::string &bytes);

    // The earliest moment after `now` at which something becomes due. Output
    // already due is left out: it waits for the terminal to take more.
    std::optional<Clock::time_point> next_due(Clock::time_point now) const;
    bool output_waiting(Clock::time_point now) const;
    void clear();

private:
    struct TimedByte {
        std::uint8_t byte;
        Clock::time_point done;
    };
    struct Chunk {
        std::string bytes;
        Clock::time_point release;
    };

    Clock::duration byte_time_;
    std::deque<TimedByte> received_;
    std::deque<Chunk> outgoing_;
    Clock::time_point rx_free_{};
    Clock::time_point tx_free_{};
};

} // namespace vtrx
