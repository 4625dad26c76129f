// What with_radios.sh started: a fresh folder holding radio.mem (the set every
// transceiver starts from) and <port name>.mem (what the transceiver on that
// port holds now), the ports in order; and the .mem files' 600-byte sets.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

struct RadioSetup {
    std::filesystem::path folder;
    std::vector<std::string> ports;
    std::vector<std::string> absent_ports; // mapped to no device
    // What the transceiver on the port holds now.
    std::filesystem::path memory_of(const std::string &port) const {
        return folder / (std::filesystem::path(port).filename().string() + ".mem");
    }
};

inline RadioSetup radio_setup() {
    auto words = [](const char *text) {
        std::vector<std::string> found;
        std::istringstream in(text ? text : "");
        for (std::string word; in >> word;)
            found.push_back(word);
        return found;
    };
    const char *folder = std::getenv("KALVO_TEST_FOLDER");
    return {folder ? folder : "", words(std::getenv("KALVO_TEST_PORTS")),
            words(std::getenv("KALVO_TEST_ABSENT"))};
}

inline std::string read_file(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const std::filesystem::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Polls done() every 20 ms for at most timeout_ms; returns done().
inline bool poll_until(const std::function<bool()> &done, int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Waits at most timeout_ms for the file to hold exactly these bytes.
inline bool wait_for_file(const std::filesystem::path &path, const std::string &bytes,
                          int timeout_ms) {
    return poll_until([&] { return read_file(path) == bytes; }, timeout_ms);
}

// A .mem record: the frequency as 32 bits little-endian, mode and pre-amp code.
inline std::string record(std::uint32_t frequency, char mode, char preatt) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>(frequency >> shift);
    return bytes + mode + preatt;
}

// A set as the editor saves it after taking it from a radio or a file: an
// empty channel loses its codes, codes without a name become "0".
inline std::string as_saved(std::string set) {
    for (std::size_t at = 0; at + 6 <= set.size(); at += 6) {
        const bool empty = set.compare(at, 4, std::string(4, '\0')) == 0;
        if (empty || std::string("123457").find(set[at + 4]) == std::string::npos)
            set[at + 4] = '0';
        if (empty || (set[at + 5] != '1' && set[at + 5] != '2'))
            set[at + 5] = '0';
    }
    return set;
}
