// Test support: runs kalvo-vtrx, the virtual transceiver, as a child process.
//
//   VirtualTransceiver radio;
//   ASSERT_TRUE(radio.start({.options = {"--baud", "0"}, .link = "/dev/ttyUSB7"}));
//   ... open radio.path() (or the link) with serial_open and talk to it ...
//   EXPECT_TRUE(radio.wait_for_memory(expected, 5000));
//   EXPECT_EQ(radio.stop(), 0); // or leave it to the destructor
//
// memory() reads the .mem file the tool rewrites after every memory write.
// Should the tool have died, stop() removes its link, so a failing test never
// leaves a stale device name behind.
#pragma once

#include "tools/vtrx_protocol.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct VtrxSetup {
    std::vector<std::string> options;     // tool options, e.g. {"--baud", "0", "--silent"}
    std::string link;                     // a symbolic link to make, e.g. "/dev/ttyUSB7"
    std::optional<vtrx::MemBytes> memory; // starting memory; all channels empty when absent
};

class VirtualTransceiver {
public:
    VirtualTransceiver() = default;
    VirtualTransceiver(const VirtualTransceiver &) = delete;
    VirtualTransceiver &operator=(const VirtualTransceiver &) = delete;
    ~VirtualTransceiver() { stop(); }

    // Starts the tool and waits (at most 5 s) for the path of its terminal;
    // false when it does not come up (bad options, link refused ...).
    bool start(const VtrxSetup &setup = {});
    const std::string &path() const { return path_; }
    // The tool's 100 channels as the 600 bytes of a .mem file.
    std::optional<vtrx::MemBytes> memory() const;
    bool wait_for_memory(const vtrx::MemBytes &expected, int timeout_ms) const;
    // SIGTERM, SIGKILL after 5 s. The tool's exit status, 128 + signal when a
    // signal ended it, -1 when nothing was running.
    int stop();

private:
    pid_t pid_ = -1;
    std::string path_, link_, folder_;
};

// A .mem image with every channel empty; set channels with vtrx::store_record.
vtrx::MemBytes empty_memory();
