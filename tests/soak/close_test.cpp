// The real program closed at random moments of a read: started again and
// again against the transceiver at 9600 baud (a read takes about six
// seconds), "Read TRX" clicked, the window closed 0 ... 3 s later. Every run
// must end with status 0 within two seconds and leave the transceiver's
// terminal and its device name to no one.
//   KALVO_CLOSE_RUNS  runs (default 20; 5 under the thread sanitizer)
//   KALVO_CLOSE_SEED  seed of the delays (default: a new one, printed)
#include "tests/soak/program_driver.h"
#include "tests/soak/soak_figures.h"

#include "tests/tools/vtrx_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

#ifdef __SANITIZE_THREAD__
// Every run takes half as long again under the thread sanitizer; a few runs
// meet the shut-down's races as well as many.
constexpr int DEFAULT_RUNS = 5;
#else
constexpr int DEFAULT_RUNS = 20;
#endif

// What the display showed when a run failed, for a look afterwards.
void save_screen(int run) {
    std::string path = std::filesystem::temp_directory_path() /
                       ("kalvo-close-run-" + std::to_string(run) + ".png");
    if (std::system(("import -window root '" + path + "' 2>/dev/null").c_str()) == 0)
        std::printf("screen of run %d: %s\n", run, path.c_str());
}

// The transceiver on the lowest free /dev/ttyUSB<N>. Other suites take names
// from the top and restart their transceivers, so their names come and go;
// the names below this one, and with them its place in the program's list,
// stay as they are.
std::string start_lowest(VirtualTransceiver &radio) {
    for (int n = 0; n < 100; ++n) {
        std::string name = "/dev/ttyUSB" + std::to_string(n);
        if (std::filesystem::exists(std::filesystem::symlink_status(name))) continue;
        if (radio.start({.options = {"--baud", "9600"}, .link = name, .memory = empty_memory()}))
            return name;
    }
    return "";
}

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
    std::string port = start_lowest(radio);
    if (!check(!port.empty(), "the transceiver came up")) return false;
    const std::string terminal = radio.path();
    {
        ProgramDriver program;
        const std::vector<std::string> listed = present_ports();
        if (!check(program.start(KALVO_PATH), "the window showed")) return false;
        if (!check(program.choose_port(port, listed), "the port is listed")) return false;
        program.click_at(50, 25); // "Read TRX"
        std::this_thread::sleep_for(delay);
        // Half a second on, the worker has opened the port and is reading.
        if (delay >= 500ms && !check(program.holds(terminal), "the read was running")) save_screen(run);
        auto closed_at = std::chrono::steady_clock::now();
        program.request_close();
        int status = program.wait_exit(2s);
        if (!check(status == 0, "exit status 0 within two seconds")) save_screen(run);
        check(std::chrono::steady_clock::now() - closed_at < 2s, "ended within two seconds");
    }
    // Whatever the program left behind is an orphan and so a child of this
    // process now (see the subreaper below); programs of other suites, which
    // open every device name when they start, are not.
    std::vector<std::string> holders = holders_of(terminal, getpid(), "kalvo-vtrx");
    check(holders.empty(), ("the terminal is still open in " + (holders.empty() ? "" : holders[0])).c_str());
    check(radio.stop() == 0, "the transceiver ended cleanly");
    check(!std::filesystem::exists(std::filesystem::symlink_status(port)), "the device name is gone");
    return passed;
}

} // namespace

TEST(CloseDuringRead, EveryRunEndsAtOnceAndReleasesThePort) {
    const int runs = environment_number("KALVO_CLOSE_RUNS", DEFAULT_RUNS);
    const unsigned seed = static_cast<unsigned>(
        environment_number("KALVO_CLOSE_SEED", static_cast<int>(std::random_device{}() & 0x7fffffff)));
    std::printf("delays from seed %u (KALVO_CLOSE_SEED)\n", seed);
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay_ms(0, 3000);
    int passed = 0;
    for (int run = 0; run < runs; ++run)
        passed += close_during_read(run, std::chrono::milliseconds(delay_ms(random))) ? 1 : 0;
    print_figure("close_runs", runs);
    print_figure("close_runs_passed", passed);
    EXPECT_EQ(passed, runs);
}
