// The 100-channel exchange with the radio over serial port EXCHANGE_PORT,
// free of any toolkit: the editor's workers and kalvo-mem both run it, each
// through an ExchangeSide that says where the channels come from or go to,
// when to stop, and how to tell the user.
#pragma once

#include "protocol.h"
#include "core/core.h"

enum class ExchangeEnd { done, no_port, no_answer, stopped };

class ExchangeSide {
public:
    // Asked before each step and at every poll; true ends the exchange at
    // once, with the port closed and nothing more told.
    virtual bool stopping() = 0;
    // The message of a fault that ends the exchange ("Can't open port!",
    // "TRX not responding!"), told while the port is still open.
    virtual void fault(const char16_t *message) = 0;
    // A read channel as the radio gave it, in channel order.
    virtual void received(int channel, const Channel &record) = 0;
    // The channel to send next, in channel order.
    virtual Channel to_send(int channel) = 0;
    // The channel just read or sent.
    virtual void progress(int channel) = 0;

protected:
    ~ExchangeSide() = default;
};

// Two buffers of EXCHANGE_BUFFER_SIZE bytes the exchange alone uses while it runs.
struct ExchangeBuffers {
    unsigned char *rx;
    unsigned char *tx;
};

// Open the port at 9600 8N1 with DTR and RTS raised, exchange all channels,
// close the port.
ExchangeEnd read_radio(const WideText &port, ExchangeSide &side, ExchangeBuffers buffers);
ExchangeEnd write_radio(const WideText &port, ExchangeSide &side, ExchangeBuffers buffers);
