// Times the editor's full 100-channel read through kalvo_serial against
// kalvo-vtrx paced at 9600 baud (bench.sh starts it), and prints it against
// the line-time floor: 100 exchanges of 7 + 50 bytes at 10 bits a byte.
#include "serial/serial.h"
#include "vtrx_exchange.h"

#include <chrono>
#include <cstdio>

int main() {
    constexpr double FLOOR_SECONDS = 100.0 * 57 * 10 / 9600;
    serial_init();
    const std::vector<std::string> ports = test_ports();
    if (ports.empty() || !open_exchange_port(ports.front())) {
        std::fprintf(stderr, "bench_serial: no transceiver to read (run bench/bench.sh)\n");
        return 1;
    }
    const auto begin = std::chrono::steady_clock::now();
    for (int c = 0; c < vtrx::CHANNEL_COUNT; ++c)
        if (!read_channel(c)) {
            std::fprintf(stderr, "bench_serial: channel %d timed out\n", c);
            return 1;
        }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
    serial_close(0);
    serial_shutdown();
    std::printf("100 channels in %.4f s; floor %.4f s; ratio %.4f\n", elapsed.count(),
                FLOOR_SECONDS, elapsed.count() / FLOOR_SECONDS);
    return 0;
}
