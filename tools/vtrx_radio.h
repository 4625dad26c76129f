// What the virtual transceiver does with each command, faults included.
#pragma once

#include "vtrx_options.h"
#include "vtrx_protocol.h"

#include <string>

namespace vtrx {

struct Outcome {
    std::string reply;     // bytes to send back, empty for none
    int delay_ms = 0;      // extra wait before the reply leaves
    bool hangup = false;   // drop the line instead
    bool stored = false;   // memory changed
};

class Radio {
public:
    Radio(Memory &memory, const Faults &faults) : memory_(memory), faults_(faults) {}
    Outcome handle(const Command &command);

private:
    Memory &memory_;
    const Faults &faults_;
    int handled_ = 0;
    bool hung_up_ = false;
};

} // namespace vtrx
