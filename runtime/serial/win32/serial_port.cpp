// Numbered serial ports on Win32 communications devices. Handles are
// synchronous: a read waits until its full length has arrived, so callers ask
// for no more than serial_input_available reported; a write ends within its
// time-out.
#include "serial/serial.h"

#include "serial/serial_registry.h"
#include "serial/win32/serial_win32.h"

namespace {

// "\\.\" + at most 59 units of the name + the terminator fill 64 units.
constexpr std::size_t NAME_UNITS = 59;
constexpr char16_t DEVICE_PREFIX[] = u"\\\\.\\";

// The handle is kept as the port's device, pointer-sized like every HANDLE.
HANDLE handle_of(ObjectId port) { return reinterpret_cast<HANDLE>(serial_device_of(port)); }

// Exclusive and not overlapped. The prefix reaches every device, COM10 and
// above included, which the plain name would not.
HANDLE open_device(const WideText &name)
{
    WideText path = DEVICE_PREFIX;
    std::size_t end = name.find(u'\0');
    path += name.substr(0, end < NAME_UNITS ? end : NAME_UNITS);
    return CreateFileW(reinterpret_cast<LPCWSTR>(path.c_str()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

// Applies the line settings and the time-outs; false when the driver refuses
// the settings.
bool configure(HANDLE handle, std::int32_t baud, std::int32_t parity, std::int32_t data_bits, float stop_bits,
               std::int32_t handshake, std::int32_t input_size, std::int32_t output_size)
{
    if (input_size > 0 && output_size > 0)
        SetupComm(handle, static_cast<DWORD>(input_size), static_cast<DWORD>(output_size));
    DCB control{};
    control.DCBlength = sizeof control;
    if (!GetCommState(handle, &control))
        return false;
    serial_apply_settings(control, baud, parity, data_bits, stop_bits, handshake, input_size);
    if (!SetCommState(handle, &control))
        return false;
    // Reads wait for their full length; a write gives up after 10 ms plus
    // 100 ms per byte.
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutMultiplier = 100;
    timeouts.WriteTotalTimeoutConstant = 10;
    SetCommTimeouts(handle, &timeouts);
    return true;
}

std::int32_t escape(HANDLE handle, DWORD on, DWORD off, std::int32_t value)
{
    return EscapeCommFunction(handle, value ? on : off) ? 1 : 0;
}

std::int32_t set_flow_char(HANDLE handle, char DCB::*field, std::int32_t value)
{
    DCB control{};
    control.DCBlength = sizeof control;
    if (!GetCommState(handle, &control))
        return 0;
    control.*field = static_cast<char>(value & 0xFF);
    return SetCommState(handle, &control) ? 1 : 0;
}

// The queue counts of the device; a device that cannot report them counts
// as empty, so a poll for waiting bytes simply sees none.
COMSTAT queue_status(ObjectId port)
{
    COMSTAT status{};
    HANDLE handle = handle_of(port);
    DWORD errors = 0;
    if (handle && !ClearCommError(handle, &errors, &status))
        status = COMSTAT{};
    return status;
}

} // namespace

void serial_device_close(std::intptr_t device) { CloseHandle(reinterpret_cast<HANDLE>(device)); }

std::intptr_t serial_open(ObjectId number, const WideText &name, std::int32_t baud, std::int32_t parity,
                          std::int32_t data_bits, float stop_bits, std::int32_t handshake,
                          std::int32_t input_size, std::int32_t output_size)
{
    if (!serial_number_valid(number) || name.empty() || name[0] == 0)
        return 0;
    HANDLE handle = open_device(name);
    if (handle == INVALID_HANDLE_VALUE)
        return 0; // the registry is untouched: a port under this number stays open
    if (!configure(handle, baud, parity, data_bits, stop_bits, handshake, input_size, output_size)) {
        CloseHandle(handle);
        return 0;
    }
    // Closes a port still open under this number, now that the new one is.
    return serial_register(number, reinterpret_cast<std::intptr_t>(handle));
}

std::int32_t serial_set_line(ObjectId port, std::int32_t code, std::int32_t value)
{
    HANDLE handle = handle_of(port);
    if (!handle)
        return 0;
    switch (code) {
    case SERIAL_LINE_DTR:
        return escape(handle, SETDTR, CLRDTR, value);
    case SERIAL_LINE_RTS:
        return escape(handle, SETRTS, CLRRTS, value);
    case SERIAL_LINE_BREAK:
        return escape(handle, SETBREAK, CLRBREAK, value);
    case SERIAL_LINE_XON:
        return set_flow_char(handle, &DCB::XonChar, value);
    case SERIAL_LINE_XOFF:
        return set_flow_char(handle, &DCB::XoffChar, value);
    default:
        return 0;
    }
}

std::intptr_t serial_input_available(ObjectId port) { return queue_status(port).cbInQue; }

std::intptr_t serial_output_pending(ObjectId port) { return queue_status(port).cbOutQue; }

// A negative length would reach the system as a huge size, so it reads or
// writes nothing instead.
std::int32_t serial_read(ObjectId port, void *buffer, std::int32_t length)
{
    HANDLE handle = handle_of(port);
    DWORD count = 0;
    if (!handle || !buffer || length <= 0 || !ReadFile(handle, buffer, static_cast<DWORD>(length), &count, nullptr))
        return 0;
    return static_cast<std::int32_t>(count);
}

std::int32_t serial_write(ObjectId port, const void *buffer, std::int32_t length)
{
    HANDLE handle = handle_of(port);
    DWORD count = 0;
    if (!handle || !buffer || length <= 0 || !WriteFile(handle, buffer, static_cast<DWORD>(length), &count, nullptr))
        return 0;
    return static_cast<std::int32_t>(count);
}
