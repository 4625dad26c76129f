// Numbered and dynamic serial ports over the object registry. Ports are
// closed singly, or all at once for ANY and at shut-down (numbers ascending,
// then dynamic ports).
#include "serial/serial.h"
#include "serial/serial_registry.h"

namespace {

constexpr std::int32_t GROW_STEP = 16;

ObjectRegistry *ports = nullptr;

SerialPort *find_port(ObjectId port)
{
    return ports ? static_cast<SerialPort *>(registry_get(ports, port)) : nullptr;
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

bool serial_number_valid(ObjectId number) { return ports && number >= ANY; }

std::intptr_t serial_device_of(ObjectId port)
{
    SerialPort *record = find_port(port);
    return record ? record->device : 0;
}

std::intptr_t serial_register(ObjectId number, std::intptr_t device)
{
    auto *record = ports ? static_cast<SerialPort *>(registry_allocate(ports, number)) : nullptr;
    if (!record) {
        serial_device_close(device);
        return 0;
    }
    record->device = device;
    return number == ANY ? reinterpret_cast<std::intptr_t>(record) : device;
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
