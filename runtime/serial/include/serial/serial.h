// Numbered serial ports: open with line settings, queue counts, reads and
// writes that never wait, modem lines, close. Shared by both back-ends.
#pragma once

#include "core/core.h"

#include <cstdint>

// serial_set_line codes
inline constexpr std::int32_t SERIAL_LINE_DTR = 1;
inline constexpr std::int32_t SERIAL_LINE_RTS = 2;
inline constexpr std::int32_t SERIAL_LINE_BREAK = 3;
inline constexpr std::int32_t SERIAL_LINE_XON = 8;
inline constexpr std::int32_t SERIAL_LINE_XOFF = 9;

// serial_open parity codes (the Windows driver's numbering)
inline constexpr std::int32_t SERIAL_PARITY_NONE = 0;
inline constexpr std::int32_t SERIAL_PARITY_ODD = 1;
inline constexpr std::int32_t SERIAL_PARITY_EVEN = 2;
inline constexpr std::int32_t SERIAL_PARITY_MARK = 3;
inline constexpr std::int32_t SERIAL_PARITY_SPACE = 4;

// serial_open handshake codes
inline constexpr std::int32_t SERIAL_HANDSHAKE_NONE = 0;
inline constexpr std::int32_t SERIAL_HANDSHAKE_RTS_ON = 1; // RTS held on where the driver can
inline constexpr std::int32_t SERIAL_HANDSHAKE_RTS_CTS = 2;
inline constexpr std::int32_t SERIAL_HANDSHAKE_XON_XOFF = 3;

void serial_init();
void serial_shutdown();

// 0 on failure; for a number the descriptor (handle), for ANY the dynamic handle.
std::intptr_t serial_open(ObjectId number, const WideText &name, std::int32_t baud,
                          std::int32_t parity, std::int32_t data_bits, float stop_bits,
                          std::int32_t handshake, std::int32_t input_size,
                          std::int32_t output_size);
std::int32_t serial_set_line(ObjectId port, std::int32_t code, std::int32_t value);
std::intptr_t serial_input_available(ObjectId port);
std::intptr_t serial_output_pending(ObjectId port);
std::int32_t serial_read(ObjectId port, void *buffer, std::int32_t length);
std::int32_t serial_write(ObjectId port, const void *buffer, std::int32_t length);
void serial_close(ObjectId port);
