// kalvo-vtrx: a virtual transceiver on a pseudo-terminal, for trying and
// testing the editor without a radio. See --help and README.md.
#include "vtrx_line.h"
#include "vtrx_options.h"
#include "vtrx_pacer.h"
#include "vtrx_radio.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace vtrx {
namespace {

volatile std::sig_atomic_t stop_requested = 0;

void on_signal(int) { stop_requested = 1; }

constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// Stop signals stay blocked except while the loop waits in ppoll, so a stop
// request can never slip in between the check and the wait.
sigset_t install_signal_handlers() {
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    for (int s : STOP_SIGNALS) {
        sigaddset(&blocked, s);
        sigaction(s, &action, nullptr);
    }
    sigprocmask(SIG_BLOCK, &blocked, &previous);
    for (int s : STOP_SIGNALS)
        sigdelset(&previous, s);
    return previous;
}

class Transceiver {
public:
    Transceiver(const Options &options, Memory &memory)
        : options_(options), memory_(memory), radio_(memory, options.faults), pacer_(options.baud),
          link_(options.link_path) {}

    int run();

private:
    bool open_line();
    void hang_up(Clock::time_point now);
    void receive(Clock::time_point now);
    void process(Clock::time_point now);
    void transmit(Clock::time_point now);
    void wait(Clock::time_point now, const sigset_t &mask);

    const Options &options_;
    Memory &memory_;
    Radio radio_;
    LinePacer pacer_;
    CommandParser parser_;
    PtyLine line_;
    DeviceLink link_;
    std::optional<Clock::time_point> reopen_at_;
    bool save_failed_ = false;
};

bool Transceiver::open_line() {
    std::string error;
    if (!line_.open(error) || (options_.faults.refuse_input && !line_.refuse_input(error)) ||
        (!options_.link_path.empty() && !link_.point_to(line_.path(), error))) {
        std::fprintf(stderr, "kalvo-vtrx: %s\n", error.c_str());
        return false;
    }
    std::printf("%s\n", line_.path().c_str());
    std::fflush(stdout);
    return true;
}

void Transceiver::hang_up(Clock::time_point now) {
    link_.remove();
    line_.close();
    pacer_.clear();
    parser_.reset();
    if (options_.faults.reopen_ms >= 0)
        reopen_at_ = now + std::chrono::milliseconds(options_.faults.reopen_ms);
}

void Transceiver::receive(Clock::time_point now) {
    std::uint8_t buffer[4096];
    while (line_.is_open()) {
        ssize_t count = read(line_.master(), buffer, sizeof buffer);
        if (count <= 0)
            return; // EAGAIN: drained; EIO: no one has the device open
        pacer_.arrive(buffer, static_cast<std::size_t>(count), now);
    }
}

void Transceiver::process(Clock::time_point now) {
    std::uint8_t byte = 0;
    Clock::time_point done;
    while (line_.is_open() && pacer_.take_received(now, byte, done)) {
        std::optional<Command> command = parser_.push(byte);
        if (!command)
            continue;
        Outcome outcome = radio_.handle(*command);
        if (outcome.hangup)
            return hang_up(now);
        if (outcome.stored && !options_.save_path.empty() &&
            !save_mem_file(options_.save_path, memory_) && !save_failed_) {
            std::fprintf(stderr, "kalvo-vtrx: cannot write %s\n", options_.save_path.c_str());
            save_failed_ = true;
        }
        // The reply is timed from the moment the command's last byte was in,
        // so late wake-ups do not add up over an exchange.
        if (!outcome.reply.empty())
            pacer_.send(outcome.reply, done + std::chrono::milliseconds(outcome.delay_ms));
    }
}

void Transceiver::transmit(Clock::time_point now) {
    std::string out;
    pacer_.take_output(now, out);
    if (out.empty() || !line_.is_open())
        return;
    ssize_t written = write(line_.master(), out.data(), out.size());
    if (written < 0)
        written = errno == EAGAIN ? 0 : static_cast<ssize_t>(out.size()); // lost on error
    pacer_.put_back(out.substr(static_cast<std::size_t>(written)));
}

void Transceiver::wait(Clock::time_point now, const sigset_t &mask) {
    std::optional<Clock::time_point> due = pacer_.next_due(now);
    if (reopen_at_)
        due = due ? std::min(*due, *reopen_at_) : *reopen_at_;
    timespec timeout{};
    if (due) {
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*due - now).count();
        ns = ns < 0 ? 0 : ns;
        timeout = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    }
    pollfd watched{line_.master(), POLLIN, 0};
    if (pacer_.output_waiting(now))
        watched.events |= POLLOUT;
    ppoll(&watched, line_.is_open() ? 1 : 0, due ? &timeout : nullptr, &mask);
}

int Transceiver::run() {
    const sigset_t mask = install_signal_handlers();
    if (!open_line())
        return 1;
    while (!stop_requested) {
        Clock::time_point now = Clock::now();
        if (reopen_at_ && *reopen_at_ <= now) {
            reopen_at_.reset();
            if (!open_line())
                return 1;
        }
        receive(now);
        process(now);
        transmit(now);
        wait(now, mask);
    }
    return 0;
}

} // namespace
} // namespace vtrx

int main(int argc, char **argv) {
    vtrx::Options options;
    std::string error;
    if (!vtrx::parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "kalvo-vtrx: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        vtrx::print_help(argv[0]);
        return 0;
    }
    vtrx::Memory memory;
    if (!options.load_path.empty() && !vtrx::load_mem_file(options.load_path, memory)) {
        std::fprintf(stderr, "kalvo-vtrx: %s is not a readable 600-byte .mem file\n",
                     options.load_path.c_str());
        return 1;
    }
    if (!options.save_path.empty() && !vtrx::save_mem_file(options.save_path, memory)) {
        std::fprintf(stderr, "kalvo-vtrx: cannot write %s\n", options.save_path.c_str());
        return 1;
    }
#ifdef __linux__
    prctl(PR_SET_TIMERSLACK, 1UL); // wake up on the byte, not 50 us later
#endif
    vtrx::Transceiver transceiver(options, memory);
    return transceiver.run();
}
