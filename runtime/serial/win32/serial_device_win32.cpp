// Serial devices on Win32 communications devices. Handles are synchronous:
// a read waits until its full length has arrived, so callers ask for no more
// than serial_input_available reported; a write ends within its time-out.
#include "internal/serial_device.h"

#include "win32/serial_win32.h"

namespace {

// "\\.\" + at most 59 units of the name + the terminator fill 64 units.
constexpr std::size_t NAME_UNITS = 59;
constexpr char16_t DEVICE_PREFIX[] = u"\\\\.\\";

// The handle is kept as the port's device, pointer-sized like every HANDLE.
HANDLE handle_of(std::intptr_t device) { return reinterpret_cast<HANDLE>(device); }

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
bool configure(HANDLE handle, const SerialLine &line)
{
    if (line.input_size > 0 && line.output_size > 0)
        SetupComm(handle, static_cast<DWORD>(line.input_size), static_cast<DWORD>(line.output_size));
    DCB control{};
    control.DCBlength = sizeof control;
    if (!GetCommState(handle, &control))
        return false;
    serial_apply_settings(control, line.baud, line.parity, line.data_bits, line.stop_bits, line.handshake,
                          line.input_size);
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

} // namespace

std::intptr_t serial_device_open(const WideText &name, const SerialLine &line)
{
    HANDLE handle = open_device(name);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    if (!configure(handle, line)) {
        CloseHandle(handle);
        return 0;
    }
    return reinterpret_cast<std::intptr_t>(handle);
}

// An exclusive handle needs nothing more to hold its device.
void serial_device_adopted(std::intptr_t) {}

void serial_device_close(std::intptr_t device) { CloseHandle(handle_of(device)); }

// A device that cannot report its queues counts as empty, so a poll for
// waiting bytes simply sees none.
std::intptr_t serial_device_queued(std::intptr_t device, SerialQueue queue)
{
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(handle_of(device), &errors, &status))
        return 0;
    return queue == SerialQueue::input ? status.cbInQue : status.cbOutQue;
}

std::int32_t serial_device_signal(std::intptr_t device, SerialSignal signal, bool on)
{
    DWORD function = 0;
    switch (signal) {
    case SerialSignal::dtr:
        function = on ? SETDTR : CLRDTR;
        break;
    case SerialSignal::rts:
        function = on ? SETRTS : CLRRTS;
        break;
    case SerialSignal::line_break:
        function = on ? SETBREAK : CLRBREAK;
        break;
    }
    return EscapeCommFunction(handle_of(device), function) ? 1 : 0;
}

std::int32_t serial_device_flow_char(std::intptr_t device, SerialFlowChar which, unsigned char value)
{
    DCB control{};
    control.DCBlength = sizeof control;
    if (!GetCommState(handle_of(device), &control))
        return 0;
    (which == SerialFlowChar::xon ? control.XonChar : control.XoffChar) = static_cast<char>(value);
    return SetCommState(handle_of(device), &control) ? 1 : 0;
}

std::int32_t serial_device_read(std::intptr_t device, void *buffer, std::int32_t length)
{
    DWORD count = 0;
    if (!ReadFile(handle_of(device), buffer, static_cast<DWORD>(length), &count, nullptr))
        return 0;
    return static_cast<std::int32_t>(count);
}

std::int32_t serial_device_write(std::intptr_t device, const void *buffer, std::int32_t length)
{
    DWORD count = 0;
    if (!WriteFile(handle_of(device), buffer, static_cast<DWORD>(length), &count, nullptr))
        return 0;
    return static_cast<std::int32_t>(count);
}
