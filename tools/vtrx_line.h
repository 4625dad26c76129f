// The transceiver's end of the serial line: a pseudo-terminal whose slave
// side the editor opens like a serial device, plus an optional symbolic link
// to it under a device-like name.
#pragma once

#include <string>

namespace vtrx {

class PtyLine {
public:
    PtyLine() = default;
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;
    ~PtyLine() { close(); }

    // Opens a new pseudo-terminal in raw mode. The line keeps a descriptor
    // of its own slave side open, so the editor closing the device (a port
    // probe) does not hang the line up.
    bool open(std::string &error);
    // Hangs the line up: the editor's descriptor sees the device vanish.
    void close();
    // Holds the slave side's output, as the transceiver's own flow control
    // would: whoever opens the device can write nothing to it (a write that
    // does not wait takes no byte, one that waits times out). The hold is the
    // terminal's, so it outlasts every open and close of the device.
    bool refuse_input(std::string &error);

    bool is_open() const { return master_ >= 0; }
    int master() const { return master_; }
    const std::string &path() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// A symbolic link that points at the line while it exists. It never replaces
// anything but a symbolic link, and on removal deletes the link only when it
// still points at the target it was made for.
class DeviceLink {
public:
    explicit DeviceLink(std::string path) : path_(std::move(path)) {}
    DeviceLink(const DeviceLink &) = delete;
    DeviceLink &operator=(const DeviceLink &) = delete;
    ~DeviceLink() { remove(); }

    bool point_to(const std::string &target, std::string &error);
    void remove();

private:
    std::string path_;
    std::string target_;
};

} // namespace vtrx
