#include "vtrx_pacer.h"

#include <algorithm>

namespace vtrx {
namespace {

constexpr int BITS_PER_BYTE = 10;
// Bytes reach the other side in small groups, as a UART FIFO or a USB adapter
// hands them on. Eight bytes a group also means a reply one byte too long
// never rests at exactly 50 waiting bytes on its way in.
constexpr std::size_t CHUNK_BYTES = 8;
// Input beyond this much unprocessed line time is dropped, like an overrun.
constexpr std::size_t RECEIVE_LIMIT = 1 << 16;

} // namespace

LinePacer::LinePacer(int baud)
    : byte_time_(baud > 0 ? std::chrono::duration_cast<Clock::duration>(
                                std::chrono::nanoseconds(1000000000LL * BITS_PER_BYTE / baud))
                          : Clock::duration::zero()) {}

void LinePacer::arrive(const std::uint8_t *bytes, std::size_t count, Clock::time_point now) {
    Clock::time_point done = std::max(now, rx_free_);
    for (std::size_t i = 0; i < count && received_.size() < RECEIVE_LIMIT; ++i) {
        done += byte_time_;
        received_.push_back({bytes[i], done});
    }
    rx_free_ = done;
}

bool LinePacer::take_received(Clock::time_point now, std::uint8_t &byte,
                              Clock::time_point &done) {
    if (received_.empty() || received_.front().done > now)
        return false;
    byte = received_.front().byte;
    done = received_.front().done;
    received_.pop_front();
    return true;
}

void LinePacer::send(const std::string &bytes, Clock::time_point start) {
    Clock::time_point end = std::max(start, tx_free_);
    for (std::size_t offset = 0; offset < bytes.size(); offset += CHUNK_BYTES) {
        std::string chunk = bytes.substr(offset, CHUNK_BYTES);
        end += byte_time_ * static_cast<int>(chunk.size());
        outgoing_.push_back({std::move(chunk), end});
    }
    tx_free_ = end;
}

void LinePacer::take_output(Clock::time_point now, std::string &out) {
    while (!outgoing_.empty() && outgoing_.front().release <= now) {
        out += outgoing_.front().bytes;
        outgoing_.pop_front();
    }
}

void LinePacer::put_back(const std::string &bytes) {
    if (!bytes.empty())
        outgoing_.push_front({bytes, Clock::time_point{}});
}

std::optional<Clock::time_point> LinePacer::next_due(Clock::time_point now) const {
    std::optional<Clock::time_point> due;
    if (!received_.empty())
        due = received_.front().done;
    if (!outgoing_.empty() && outgoing_.front().release > now)
        due = due ? std::min(*due, outgoing_.front().release) : outgoing_.front().release;
    return due;
}

bool LinePacer::output_waiting(Clock::time_point now) const {
    return !outgoing_.empty() && outgoing_.front().release <= now;
}

void LinePacer::clear() {
    received_.clear();
    outgoing_.clear();
    rx_free_ = tx_free_ = Clock::time_point{};
}

} // namespace vtrx
