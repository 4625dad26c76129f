// The virtual transceiver on a device name the editor probes at start-up.
#pragma once

#include "tests/tools/vtrx_fixture.h"

#include <filesystem>
#include <string>

// A name "/dev/ttyUSB<N>" that nothing uses yet; high numbers first, as they
// are the least likely to be a real adapter. "" when all are taken.
inline std::string free_port_name() {
    for (int n = 99; n >= 0; --n) {
        std::string name = "/dev/ttyUSB" + std::to_string(n);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, error))) return name;
    }
    return "";
}

// Starts radio linked as a free device name and returns that name, "" when
// it did not come up. Other suites take names too, so a taken one is retried.
inline std::string start_linked(VirtualTransceiver &radio, VtrxSetup setup) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        setup.link = free_port_name();
        if (radio.start(setup)) return setup.link;
    }
    return "";
}
