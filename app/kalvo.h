// Application state of the memory-channel editor and its entry points. Shared
// by the Linux and the Windows build: only the runtime's public headers here.
#pragma once

#include "protocol.h"
#include "core/core.h"

#include <atomic>
#include <cstdint>
#include <memory>

struct AppState {
    std::intptr_t main_window = 0;
    std::intptr_t read_button = 0;
    std::intptr_t write_button = 0;
    std::intptr_t load_button = 0;
    std::intptr_t save_button = 0;
    std::intptr_t port_combo = 0;
    std::intptr_t port_label = 0;
    std::intptr_t channel_list = 0;
    std::intptr_t channel_label = 0;
    std::intptr_t frequency_label = 0;
    std::intptr_t mode_label = 0;
    std::intptr_t preatt_label = 0;
    std::intptr_t channel_field = 0;
    std::intptr_t frequency_field = 0;
    std::intptr_t mode_combo = 0;
    std::intptr_t preatt_combo = 0;
    std::intptr_t update_button = 0;
    std::intptr_t clear_button = 0;
    ObjectId status_bar = 0;
    // Used by the exchange worker alone while it runs.
    // Allocated at start-up, EXCHANGE_BUFFER_SIZE bytes each, zero-filled.
    std::unique_ptr<unsigned char[]> rx_buffer;
    std::unique_ptr<unsigned char[]> tx_buffer;
    WideText port_base;
    // Set on the main thread when an exchange is started, cleared by the
    // worker as its very last step: at most one exchange runs at a time.
    std::atomic<bool> exchange_running{false};
    // Set by the worker while it hands the controls back, after it cleared
    // exchange_running.
    std::atomic<bool> controls_returning{false};
    // Set at exit: the worker stops at its next step and closes the port.
    std::atomic<bool> stop_requested{false};
};

extern AppState app;

// Start-up after runtime_start: buffers, main window, port discovery, rows
// and edit controls.
void app_start();
// After the event loop: stops a running exchange (bounded wait) and shuts the
// runtime down.
void app_finish();

void build_main_window(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
void discover_ports();

// 0 ends the event loop, 1 goes on.
int dispatch_event(std::int32_t code);
void show_selected_channel();
void update_channel();
void clear_channel();

void load_file();
void save_file();

void start_read_thread();
void start_write_thread();
void read_all_channels(std::intptr_t argument);
void write_all_channels(std::intptr_t argument);
void set_controls_busy(std::int32_t state);
// Waits at most timeout_ms for a running exchange to end; 1 when none runs.
int wait_for_exchange(std::int32_t timeout_ms);
