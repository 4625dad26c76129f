// Private to the Win32 serial back-end.
#pragma once

#include <cstdint>
#include <windows.h>

// Puts the line parameters into a device control block the driver has filled
// in, leaving every field they do not name as the driver reported it. Rate,
// data bits and parity go to the driver unchecked; an unknown handshake code
// leaves flow control alone.
void serial_apply_settings(DCB &control, std::int32_t baud, std::int32_t parity,
                           std::int32_t data_bits, float stop_bits, std::int32_t handshake,
                           std::int32_t input_size);
