#include "tests/soak/program_driver.h"

#include <X11/Xlib.h>

#include <algorithm>
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

int ProgramDriver::windows_shown() const {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0, shown = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return 0;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            ++shown;
    }
    if (children) XFree(children);
    return static_cast<int>(shown);
}

bool ProgramDriver::wait_for_windows(int from, bool more, std::chrono::milliseconds timeout) const {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (more ? windows_shown() <= from : windows_shown() >= from) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool ProgramDriver::choose_port(const std::string &port, const std::vector<std::string> &ports) {
    auto found = std::find(ports.begin(), ports.end(), port);
    if (found == ports.end()) return false;
    // The list opens with whichever entry lies under the pointer selected,
    // so the first entry is chosen explicitly before stepping down.
    std::string keys = " Home";
    for (auto listed = ports.begin(); listed < found; ++listed) keys += " Down";
    // The keys must reach the open list: sent to the window itself, Return
    // would press whichever button has the focus.
    // A program slowed down by a sanitizer may not take the first click yet.
    const int closed = windows_shown();
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        click_at(480, 24); // port_combo: 440, 12, 80 x 25
        opened = wait_for_windows(closed, true, 4s);
    }
    if (!opened) return false;
    const int open = windows_shown();
    std::this_thread::sleep_for(300ms); // mapped is not yet taking the keyboard
    run("xdotool key" + keys + " Return");
    return wait_for_windows(open, false, 3s);
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

std::vector<std::string> holders_of(const std::string &device, pid_t parent, const std::string &except) {
    std::vector<std::string> holders;
    std::error_code error;
    for (auto it = fs::directory_iterator("/proc", error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        if (std::atoi(it->path().filename().c_str()) <= 0) continue;
        std::ifstream status(it->path() / "status");
        std::string line, command;
        pid_t parent_of = -1;
        while (std::getline(status, line)) {
            if (line.rfind("Name:\t", 0) == 0) command = line.substr(6);
            if (line.rfind("PPid:\t", 0) == 0) parent_of = std::atoi(line.c_str() + 6);
        }
        if (parent_of == parent && command != except && process_holds(it->path() / "fd", device))
            holders.push_back(command + " (" + it->path().filename().string() + ")");
    }
    return holders;
}
