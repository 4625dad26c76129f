// Numbered and dynamic serial ports over the object registry, shared by both
// platforms: the records, the argument checks and the line codes live here,
// the system calls in the back-end behind serial_device.h. Ports are closed
// singly, or all at once for ANY and at shut-down (numbers ascending, then
// dynamic ports).
#include "serial/serial.h"

#include "internal/serial_device.h"

namespace {

constexpr std::int32_t GROW_STEP = 16;

// The per-port record. Pointer-sized, because the registry takes a record
// as live while its first pointer-sized field is non-zero; no device is 0.
struct SerialPort {
    std::intptr_t device;
};

ObjectRegistry *ports = nullptr;

SerialPort *find_port(ObjectId port)
{
    return ports ? static_cast<SerialPort *>(registry_get(ports, port)) : nullptr;
}

// The device of a live port, or 0.
std::intptr_t device_of(ObjectId port)
{
    SerialPort *record = find_port(port);
    return record ? record->device : 0;
}

// Puts an opened device under number, closing the port open there now that
// the new one is. Returns the device for a number, the new handle for ANY;
// 0 (with the device closed) when no record can be had.
std::intptr_t register_device(ObjectId number, std::intptr_t device)
{
    auto *record = static_cast<SerialPort *>(registry_allocate(ports, number));
    if (!record) {
        serial_device_close(device);
        return 0;
    }
    record->device = device;
    return number == ANY ? reinterpret_cast<std::intptr_t>(record) : device;
}

} // namespace

void serial_init()
{
    if (!ports)
        ports = registry_create(sizeof(SerialPort), GROW_STEP, serial_close);
}

void serial_shutdown()
{
    if (ports)
        registry_free_all(ports);
}

std::intptr_t serial_open(ObjectId number, const WideText &name, std::int32_t baud,
                          std::int32_t parity, std::int32_t data_bits, float stop_bits,
                          std::int32_t handshake, std::int32_t input_size,
                          std::int32_t output_size)
{
    if (!ports || number < ANY || name.empty() || name[0] == 0)
        return 0;
    SerialLine line{baud, parity, data_bits, stop_bits, handshake, input_size, output_size};
    std::intptr_t device = serial_device_open(name, line);
    if (!device)
        return 0; // the registry is untouched: a port under this number stays open
    std::intptr_t opened = register_device(number, device);
    if (opened)
        serial_device_adopted(device);
    return opened;
}

std::int32_t serial_set_line(ObjectId port, std::int32_t code, std::int32_t value)
{
    std::intptr_t device = device_of(port);
    if (!device)
        return 0;
    switch (code) {
    case SERIAL_LINE_DTR:
        return serial_device_signal(device, SerialSignal::dtr, value != 0);
    case SERIAL_LINE_RTS:
        return serial_device_signal(device, SerialSignal::rts, value != 0);
    case SERIAL_LINE_BREAK:
        return serial_device_signal(device, SerialSignal::line_break, value != 0);
    case SERIAL_LINE_XON:
        return serial_device_flow_char(device, SerialFlowChar::xon, static_cast<unsigned char>(value & 0xFF));
    case SERIAL_LINE_XOFF:
        return serial_device_flow_char(device, SerialFlowChar::xoff, static_cast<unsigned char>(value & 0xFF));
    default:
        return 0;
    }
}

std::intptr_t serial_input_available(ObjectId port)
{
    std::intptr_t device = device_of(port);
    return device ? serial_device_queued(device, SerialQueue::input) : 0;
}

std::intptr_t serial_output_pending(ObjectId port)
{
    std::intptr_t device = device_of(port);
    return device ? serial_device_queued(device, SerialQueue::output) : 0;
}

// A negative length would reach the system as a huge size, so it reads or
// writes nothing instead.
std::int32_t serial_read(ObjectId port, void *buffer, std::int32_t length)
{
    std::intptr_t device = device_of(port);
    if (!device || !buffer || length <= 0)
        return 0;
    return serial_device_read(device, buffer, length);
}

std::int32_t serial_write(ObjectId port, const void *buffer, std::int32_t length)
{
    std::intptr_t device = device_of(port);
    if (!device || !buffer || length <= 0)
        return 0;
    return serial_device_write(device, buffer, length);
}

void serial_close(ObjectId port)
{
    if (port == ANY) {
        if (ports)
            registry_free_all(ports);
        return;
    }
    SerialPort *record = find_port(port);
    if (!record)
        return;
    serial_device_close(record->device);
    registry_free(ports, port);
}
