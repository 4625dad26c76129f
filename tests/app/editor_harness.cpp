#include "tests/app/editor_harness.h"

#include "gui/gui.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

std::vector<std::string> words(const char *text) {
    std::vector<std::string> found;
    std::istringstream in(text ? text : "");
    for (std::string word; in >> word;) found.push_back(word);
    return found;
}

} // namespace

bool run_events_until(const std::function<bool()> &done, int timeout_ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        if (!dispatch_event(event_wait_timeout(5))) return false;
    }
    return true;
}

void run_events_for(int ms) {
    run_events_until([] { return false; }, ms);
}

RadioSetup radio_setup() {
    RadioSetup setup;
    if (const char *folder = std::getenv("KALVO_TEST_FOLDER")) setup.folder = folder;
    setup.ports = words(std::getenv("KALVO_TEST_PORTS"));
    setup.absent_ports = words(std::getenv("KALVO_TEST_ABSENT"));
    return setup;
}

std::string read_file(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool choose_port(const std::string &name) {
    const std::vector<std::string> items = combo_items(app.port_combo);
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (items[index] == name) {
            choose_item(app.port_combo, static_cast<int>(index));
            return true;
        }
    }
    return false;
}

bool wait_for_file(const std::filesystem::path &path, const std::string &bytes, int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (read_file(path) != bytes) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}
