// The kalvo program driven from outside like a user: xdotool clicks at the
// gadgets' pixel positions in the centred window, a transceiver on a linked
// /dev/ttyUSB<N>, and the window manager's close request.
#include "tests/app/linked_radio.h"

#include <gtest/gtest.h>
// After gtest: Xlib defines None, which gtest uses as a name.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

using namespace std::chrono_literals;

std::string run(const std::string &command) {
    std::string output;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

// Index of name among the ports the program will list: the openable
// /dev/ttyUSB<N> in ascending N.
int port_index(const std::string &name) {
    int index = 0;
    for (int n = 0; n < 100; ++n) {
        std::string candidate = "/dev/ttyUSB" + std::to_string(n);
        if (candidate == name) return index;
        if (std::filesystem::exists(candidate)) ++index;
    }
    return -1;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalvo program-XXXXXX";
        folder_ = mkdtemp(pattern);
        display_ = XOpenDisplay(nullptr);
        ASSERT_NE(display_, nullptr);
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        XCloseDisplay(display_);
        std::filesystem::remove_all(folder_);
    }
    void start_radio(std::vector<std::string> options, const vtrx::MemBytes &memory) {
        port_ = start_linked(radio_, {.options = options, .link = "", .memory = memory});
        ASSERT_FALSE(port_.empty());
    }
    void start_program() {
        setenv("GSETTINGS_BACKEND", "memory", 1);
        char *argv[] = {const_cast<char *>(KALVO_PATH), nullptr};
        ASSERT_EQ(posix_spawn(&pid_, KALVO_PATH, nullptr, nullptr, argv, environ), 0);
        std::string found = run("timeout 10 xdotool search --sync --onlyvisible --name '^Kalvo 1.02$'");
        window_ = std::strtoul(found.c_str(), nullptr, 10);
        ASSERT_NE(window_, 0u);
        std::this_thread::sleep_for(500ms);
        // The 530 x 310 window is centred on the screen.
        int screen = DefaultScreen(display_);
        left_ = (DisplayWidth(display_, screen) - 530) / 2;
        top_ = (DisplayHeight(display_, screen) - 310) / 2;
    }
    void click_at(int x, int y) {
        run("xdotool mousemove " + std::to_string(left_ + x) + " " + std::to_string(top_ + y) +
            " click 1");
        std::this_thread::sleep_for(300ms);
    }
    void choose_port() {
        int index = port_index(port_);
        ASSERT_GE(index, 0);
        click_at(480, 24); // port_combo at 440,12, 80 x 25
        std::string keys;
        for (int i = 0; i <= index; ++i) keys += " Down";
        run("xdotool key" + keys + " Return");
        std::this_thread::sleep_for(300ms);
    }
    // Asks the program to close its window as a window manager would.
    void close_window() {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window_, False, NoEventMask, &event);
        XFlush(display_);
    }
    // Exit status, or -1 when the program did not end within timeout.
    int wait_exit(std::chrono::milliseconds timeout) {
        auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    std::filesystem::path folder_;
    Display *display_ = nullptr;
    VirtualTransceiver radio_;
    std::string port_;
    pid_t pid_ = -1;
    unsigned long window_ = 0;
    int left_ = 0, top_ = 0;
};

} // namespace

TEST_F(Program, ReadsTheTransceiverAndSavesWhatItRead) {
    vtrx::MemBytes memory = empty_memory();
    vtrx::store_record(memory, 0, {7050000, '3', '2'});
    vtrx::store_record(memory, 17, {145500000, '4', '1'});
    vtrx::store_record(memory, 99, {28000000, '7', '0'});
    start_radio({"--baud", "0"}, memory);
    start_program();
    choose_port();
    click_at(50, 25); // "Read TRX"
    std::this_thread::sleep_for(4s); // well past the read, also in sanitizer builds
    click_at(350, 25); // "Save File"
    std::string target = (folder_ / "read back").string();
    // Without a window manager the chooser gets the keyboard only when asked.
    run("timeout 10 xdotool search --sync --onlyvisible --name 'Please choose file to save' "
        "windowfocus --sync");
    std::this_thread::sleep_for(500ms);
    run("xdotool type --delay 5 '" + target + "'");
    std::this_thread::sleep_for(500ms); // let the name completion settle
    run("xdotool key Return");
    for (int waited = 0; waited < 100 && !std::filesystem::exists(target + ".mem"); ++waited)
        std::this_thread::sleep_for(100ms);
    std::this_thread::sleep_for(200ms);

    std::ifstream in(target + ".mem", std::ios::binary);
    std::string saved(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(saved, std::string(memory.begin(), memory.end()));

    // Saving over a file: Escape at "File exists, replace?" (a window titled
    // "") keeps it as it was.
    const std::string kept(600, 'k');
    std::ofstream(target + ".mem", std::ios::binary) << kept << std::flush;
    click_at(350, 25);
    run("timeout 10 xdotool search --sync --onlyvisible --name 'Please choose file to save' "
        "windowfocus --sync");
    std::this_thread::sleep_for(500ms);
    run("xdotool type --delay 5 '" + target + "'");
    std::this_thread::sleep_for(500ms);
    run("xdotool key Return");
    std::this_thread::sleep_for(1s);
    // Without a window manager the question has no focus of its own: every
    // untitled window of the program is given Escape (the others ignore it).
    run("for w in $(xdotool search --onlyvisible --pid " + std::to_string(pid_) +
        " --name '^$'); do timeout 2 xdotool windowfocus --sync $w key Escape; done");
    std::this_thread::sleep_for(500ms);
    std::ifstream again(target + ".mem", std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(again), {}) == kept) << "the file was replaced";
    close_window();
    EXPECT_EQ(wait_exit(2s), 0);
}

TEST_F(Program, ClosingDuringAReadEndsAtOnce) {
    start_radio({"--baud", "9600"}, empty_memory()); // a read takes six seconds
    start_program();
    choose_port();
    click_at(50, 25);
    std::this_thread::sleep_for(1500ms);
    auto closed_at = std::chrono::steady_clock::now();
    close_window();
    EXPECT_EQ(wait_exit(2s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - closed_at, 2s);
}

TEST_F(Program, ClosingWhileTheWorkersMessageIsUpEndsAtOnce) {
    start_radio({"--baud", "0", "--silent"}, empty_memory());
    start_program();
    choose_port();
    click_at(50, 25);
    ASSERT_NE(run("timeout 10 xdotool search --sync --onlyvisible --name '^Error$'"), "");
    auto closed_at = std::chrono::steady_clock::now();
    close_window();
    EXPECT_EQ(wait_exit(2s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - closed_at, 2s);
}
