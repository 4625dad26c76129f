// The port registry both back-ends share: numbered and dynamic ports whose
// record holds the open device (a descriptor or a handle). Each back-end
// opens, drives and closes the devices themselves.
#pragma once

#include "core/core.h"

#include <cstdint>

// The per-port record. Pointer-sized, because the registry takes a record
// as live while its first pointer-sized field is non-zero; no device is 0.
struct SerialPort {
    std::intptr_t device;
};

// Whether serial_open may go on: the layer is up and the number is valid.
bool serial_number_valid(ObjectId number);
// The device of a live port, or 0.
std::intptr_t serial_device_of(ObjectId port);
// Puts an opened device under number, closing the port open there now that
// the new one is. Returns the device for a number, the new handle for ANY;
// 0 (with the device closed) when no record can be had.
std::intptr_t serial_register(ObjectId number, std::intptr_t device);

// Provided by the back-end: closes one device.
void serial_device_close(std::intptr_t device);
