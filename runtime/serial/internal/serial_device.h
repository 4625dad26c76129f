// The system calls of one platform's serial devices, under the front-end in
// serial.cpp that owns the port records and checks every argument before a
// call reaches here. A device is a descriptor or a handle, never 0.
#pragma once

#include "core/core.h"

#include <cstdint>

// The line parameters of serial_open, as the caller gave them.
struct SerialLine {
    std::int32_t baud;
    std::int32_t parity;
    std::int32_t data_bits;
    float stop_bits;
    std::int32_t handshake;
    std::int32_t input_size;
    std::int32_t output_size;
};

enum class SerialQueue { input, output };
enum class SerialSignal { dtr, rts, line_break };
enum class SerialFlowChar { xon, xoff };

// Opens the device name names and sets its line; 0 when it cannot be opened
// or refuses the line parameters (nothing stays open then).
std::intptr_t serial_device_open(const WideText &name, const SerialLine &line);
// The opened device now holds its number, any port it replaced closed.
void serial_device_adopted(std::intptr_t device);
void serial_device_close(std::intptr_t device);
// Bytes waiting in one queue; 0 when the device cannot tell.
std::intptr_t serial_device_queued(std::intptr_t device, SerialQueue queue);
// 1 when the device took the setting.
std::int32_t serial_device_signal(std::intptr_t device, SerialSignal signal, bool on);
std::int32_t serial_device_flow_char(std::intptr_t device, SerialFlowChar which, unsigned char value);
// Bytes moved, 0 on failure; length is above 0 and buffer not null.
std::int32_t serial_device_read(std::intptr_t device, void *buffer, std::int32_t length);
std::int32_t serial_device_write(std::intptr_t device, const void *buffer, std::int32_t length);
