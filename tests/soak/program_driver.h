// The kalvo program run as a child process and driven like a user on the X
// display: clicks at gadget positions in its window, the port chosen from the
// drop-down list, and the close request a window manager would send.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// Xlib's display; its header stays out of the suites (it defines None).
struct _XDisplay;

// The /dev/ttyUSB<N> names present now, in ascending N: what the program
// lists when it starts now (each leads to a live terminal in the tests).
std::vector<std::string> present_ports();

class ProgramDriver {
public:
    ProgramDriver();
    ProgramDriver(const ProgramDriver &) = delete;
    ProgramDriver &operator=(const ProgramDriver &) = delete;
    ~ProgramDriver(); // kills a program still running

    // Starts the program and waits for its window; false when it never shows.
    bool start(const char *path);
    // A click at x, y inside the window.
    void click_at(int x, int y);
    // Opens the port list and picks the entry for port; ports is the list as
    // present_ports() gave it when the program started. false when the port
    // is not listed or the list did not open and close.
    bool choose_port(const std::string &port, const std::vector<std::string> &ports);
    // WM_PROTOCOLS / WM_DELETE_WINDOW, as a window manager's close box sends it.
    void request_close();
    // Exit status (128 + signal when killed), or -1 when still running after timeout.
    int wait_exit(std::chrono::milliseconds timeout);
    // Whether the program has device open (one of its descriptors leads there).
    bool holds(const std::string &device) const;
    pid_t pid() const { return pid_; }

private:
    // Top-level windows on the display that are shown (an open drop-down list
    // adds some), and a wait until there are more (or fewer) than from.
    int windows_shown() const;
    bool wait_for_windows(int from, bool more, std::chrono::milliseconds timeout) const;

    _XDisplay *display_ = nullptr;
    pid_t pid_ = -1;
    unsigned long window_ = 0; // the X window
};

// Children of parent that have device open, as "command (pid)", leaving out
// those whose command name is except.
std::vector<std::string> holders_of(const std::string &device, pid_t parent, const std::string &except);
