#include "tests/soak/program_driver.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string run(const std::string &command) {
    std::string output;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

bool process_holds(const fs::path &fd_folder, const fs::path &device) {
    std::error_code error;
    for (auto it = fs::directory_iterator(fd_folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        std::error_code unreadable;
        if (fs::read_symlink(it->path(), unreadable) == device) return true;
    }
    return false;
}

} // namespace

std::vector<std::string> present_ports() {
    std::vector<std::string> ports;
    for (int n = 0; n < 100; ++n) {
        std::string name = "/dev/ttyUSB" + std::to_string(n);
        if (fs::exists(name)) ports.push_back(name);
    }
    return ports;
}

ProgramDriver::ProgramDriver() : display_(XOpenDisplay(nullptr)) {}

ProgramDriver::~ProgramDriver() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (display_) XCloseDisplay(display_);
}

bool ProgramDriver::start(const char *path) {
    if (!display_) return false;
    setenv("GSETTINGS_BACKEND", "memory", 1);
    char *argv[] = {const_cast<char *>(path), nullptr};
    if (posix_spawn(&pid_, path, nullptr, nullptr, argv, environ) != 0) {
        pid_ = -1;
        return false;
    }
    std::string found = run("timeout 20 xdotool search --sync --onlyvisible --pid " +
                            std::to_string(pid_) + " --name '^Kalvo 1.02$' 2>/dev/null");
    window_ = std::strtoul(found.c_str(), nullptr, 10);
    std::this_thread::sleep_for(500ms); // the list and the combos fill in after mapping
    return window_ != 0;
}

void ProgramDriver::click_at(int x, int y) {
    int left = 0, top = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &left, &top, &child);
    run("xdotool mousemove " + std::to_string(left + x) + " " + std::to_string(top + y) + " click 1");
    std::this_thread::sleep_for(300ms);
}

bool ProgramDriver::choose_port(const std::string &port, const std::vector<std::string> &ports) {
    std::string keys;
    for (const std::string &listed : ports) {
        keys += " Down";
        if (listed != port) continue;
        click_at(480, 24); // port_combo: 440, 12, 80 x 25
        run("xdotool key" + keys + " Return");
        std::this_thread::sleep_for(300ms);
        return true;
    }
    return false;
}

void ProgramDriver::request_close() {
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

int ProgramDriver::wait_exit(std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(5ms);
    } while (std::chrono::steady_clock::now() < end);
    return -1;
}

bool ProgramDriver::holds(const std::string &device) const {
    return pid_ > 0 && process_holds("/proc/" + std::to_string(pid_) + "/fd", device);
}

std::vector<std::string> holders_of(const std::string &device, const std::string &except) {
    std::vector<std::string> holders;
    std::error_code error;
    for (auto it = fs::directory_iterator("/proc", error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        if (std::atoi(it->path().filename().c_str()) <= 0) continue;
        std::ifstream comm(it->path() / "comm");
        std::string command;
        std::getline(comm, command);
        if (command != except && process_holds(it->path() / "fd", device))
            holders.push_back(command + " (" + it->path().filename().string() + ")");
    }
    return holders;
}
