// The real program closed at random moments of a read: started again and
// again against the transceiver at 9600 baud (a read takes about six
// seconds), "Read TRX" clicked, the window closed 0 ... 3 s later. Every run
// must end with status 0 within two seconds and leave the transceiver's
// terminal and its device name to no one.
//   KALVO_CLOSE_RUNS  runs (default 20)
//   KALVO_CLOSE_SEED  seed of the delays (default: a new one, printed)
#include "tests/soak/program_driver.h"
#include "tests/soak/soak_figures.h"

#include "tests/app/linked_radio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A run that passed every check; the failures are reported as they happen.
bool close_during_read(int run, std::chrono::milliseconds delay) {
    SCOPED_TRACE("run " + std::to_string(run) + ", closed " + std::to_string(delay.count()) +
                 " ms after the click");
    bool passed = true;
    auto check = [&](bool ok, const char *what) {
        EXPECT_TRUE(ok) << what;
        passed = passed && ok;
        return ok;
    };

    VirtualTransceiver radio;
    std::string port =
        start_linked(radio, {.options = {"--baud", "9600"}, .link = "", .memory = empty_memory()});
    if (!check(!port.empty(), "the transceiver came up")) return false;
    const std::string terminal = radio.path();
    const std::vector<std::string> listed = present_ports();
    {
        ProgramDriver program;
        if (!check(program.start(KALVO_PATH), "the window showed")) return false;
        if (!check(program.choose_port(port, listed), "the port is listed")) return false;
        program.click_at(50, 25); // "Read TRX"
        std::this_thread::sleep_for(delay);
        // Half a second on, the worker has opened the port and is reading.
        if (delay >= 500ms) check(program.holds(terminal), "the read was running");
        auto closed_at = std::chrono::steady_clock::now();
        program.request_close();
        int status = program.wait_exit(2s);
        check(status == 0, "exit status 0 within two seconds");
        check(std::chrono::steady_clock::now() - closed_at < 2s, "ended within two seconds");
    }
    std::vector<std::string> holders = holders_of(terminal, "kalvo-vtrx");
    check(holders.empty(), ("the terminal is still open in " + (holders.empty() ? "" : holders[0])).c_str());
    check(radio.stop() == 0, "the transceiver ended cleanly");
    check(!std::filesystem::exists(std::filesystem::symlink_status(port)), "the device name is gone");
    return passed;
}

} // namespace

TEST(CloseDuringRead, EveryRunEndsAtOnceAndReleasesThePort) {
    const int runs = environment_number("KALVO_CLOSE_RUNS", 20);
    const unsigned seed = static_cast<unsigned>(
        environment_number("KALVO_CLOSE_SEED", static_cast<int>(std::random_device{}() & 0x7fffffff)));
    std::printf("delays from seed %u (KALVO_CLOSE_SEED)\n", seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay_ms(0, 3000);
    int passed = 0;
    for (int run = 0; run < runs; ++run)
        passed += close_during_read(run, std::chrono::milliseconds(delay_ms(random))) ? 1 : 0;
    print_figure("close_runs", runs);
    print_figure("close_runs_passed", passed);
    EXPECT_EQ(passed, runs);
}
