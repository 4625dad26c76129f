// The Win32 serial back-end without a serial device: how line parameters
// reach the driver's control block, the device name it opens, and failures.
#include "serial/serial.h"

#include "serial/win32/serial_win32.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A block as a driver might report it, with every field set to something
// the settings must leave alone unless they name it.
DCB driver_block()
{
    DCB control{};
    control.DCBlength = sizeof control;
    control.fDtrControl = DTR_CONTROL_HANDSHAKE;
    control.fDsrSensitivity = 1;
    control.fTXContinueOnXoff = 1;
    control.fAbortOnError = 1;
    control.fOutxCtsFlow = 1;
    control.fRtsControl = RTS_CONTROL_TOGGLE;
    control.XonChar = 'a';
    control.XoffChar = 'b';
    control.XonLim = 1;
    control.XoffLim = 2;
    control.ErrorChar = 'e';
    control.EofChar = 'z';
    return control;
}

void expect_driver_fields_kept(const DCB &control)
{
    EXPECT_EQ(control.fDtrControl, DTR_CONTROL_HANDSHAKE);
    EXPECT_EQ(control.fDsrSensitivity, 1u);
    EXPECT_EQ(control.fTXContinueOnXoff, 1u);
    EXPECT_EQ(control.fAbortOnError, 1u);
    EXPECT_EQ(control.ErrorChar, 'e');
    EXPECT_EQ(control.EofChar, 'z');
}

TEST(Win32SerialSettings, LineParametersReachTheDriverUnchecked)
{
    DCB control = driver_block();
    serial_apply_settings(control, 123456, 7, 9, 1.0f, 0, 64);
    EXPECT_EQ(control.BaudRate, 123456u);
    EXPECT_EQ(control.Parity, 7);
    EXPECT_EQ(control.ByteSize, 9);
    EXPECT_EQ(control.fParity, 1u);
    expect_driver_fields_kept(control);

    const std::pair<float, BYTE> stop_bits[] = {
        {1.0f, ONESTOPBIT}, {2.0f, TWOSTOPBITS}, {1.5f, ONE5STOPBITS}, {0.0f, ONE5STOPBITS}, {NAN, ONE5STOPBITS}};
    for (auto [value, code] : stop_bits) {
        serial_apply_settings(control, 9600, 0, 8, value, 0, 64);
        EXPECT_EQ(control.StopBits, code) << value;
    }
}

TEST(Win32SerialSettings, HandshakeCodesSetTheirFlowControlOnly)
{
    struct Case {
        std::int32_t handshake;
        unsigned cts;
        unsigned rts;
    };
    for (Case c : {Case{0, 0, RTS_CONTROL_DISABLE}, Case{1, 0, RTS_CONTROL_ENABLE}, Case{2, 1, RTS_CONTROL_HANDSHAKE},
                   Case{3, 1, RTS_CONTROL_TOGGLE}, Case{5, 1, RTS_CONTROL_TOGGLE}, Case{-1, 1, RTS_CONTROL_TOGGLE}}) {
        DCB control = driver_block();
        serial_apply_settings(control, 9600, 0, 8, 1.0f, c.handshake, 64);
        EXPECT_EQ(control.fOutxCtsFlow, c.cts) << c.handshake;
        EXPECT_EQ(control.fRtsControl, c.rts) << c.handshake;
        bool xon_xoff = c.handshake == 3;
        EXPECT_EQ(control.fOutX, xon_xoff ? 1u : 0u) << c.handshake;
        EXPECT_EQ(control.fInX, xon_xoff ? 1u : 0u) << c.handshake;
        EXPECT_EQ(control.XonChar, xon_xoff ? 0x11 : 'a') << c.handshake;
        EXPECT_EQ(control.XoffChar, xon_xoff ? 0x13 : 'b') << c.handshake;
        expect_driver_fields_kept(control);
    }
    const std::int32_t sizes[][3] = {{64, 6, 42}, {0, 0, 0}, {-50, 0, 0}, {1000000, 65535, 65535}};
    for (auto [input, xon, xoff] : sizes) {
        DCB control = driver_block();
        serial_apply_settings(control, 9600, 0, 8, 1.0f, 3, input);
        EXPECT_EQ(control.XonLim, xon) << input;
        EXPECT_EQ(control.XoffLim, xoff) << input;
    }
}

TEST(Win32SerialPorts, BadNamesAndUnknownPortsGiveZero)
{
    serial_init();
    EXPECT_EQ(serial_open(0, WideText(), 9600, 0, 8, 1.0f, 0, 16, 16), 0);
    EXPECT_EQ(serial_open(0, u"", 9600, 0, 8, 1.0f, 0, 16, 16), 0);
    EXPECT_EQ(serial_open(-2, u"COM1", 9600, 0, 8, 1.0f, 0, 16, 16), 0);
    EXPECT_EQ(serial_open(ANY, u"COM250", 9600, 0, 8, 1.0f, 0, 16, 16), 0);
    char buffer[8] = {};
    std::int32_t outsider[4] = {1};
    for (ObjectId port : {ObjectId{0}, ObjectId{99}, reinterpret_cast<ObjectId>(outsider)}) {
        EXPECT_EQ(serial_set_line(port, SERIAL_LINE_BREAK, 1), 0);
        EXPECT_EQ(serial_input_available(port), 0);
        EXPECT_EQ(serial_output_pending(port), 0);
        EXPECT_EQ(serial_read(port, buffer, 8), 0);
        EXPECT_EQ(serial_write(port, "MR0001;", 7), 0);
        serial_close(port);
    }
    EXPECT_EQ(outsider[0], 1);
}

// A named pipe opens like a device but has no line settings, and its server
// end sees whether a client came and went.
TEST(Win32SerialPorts, LongNamesAreCutAndDevicesWithoutSettingsAreClosedAgain)
{
    serial_init();
    const WideText pipe = u"pipe\\kalvo-" + WideText(48, u'p'); // 59 units
    HANDLE server = CreateNamedPipeW(reinterpret_cast<LPCWSTR>((u"\\\\.\\" + pipe).c_str()), PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 64, 64, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ConnectNamedPipe(server, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_LISTENING));
    EXPECT_EQ(serial_open(0, pipe + u"-cut-off!!", 9600, 0, 8, 1.0f, 0, 16, 16), 0); // 70 units
    EXPECT_FALSE(ConnectNamedPipe(server, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DATA)); // opened, then closed
    EXPECT_EQ(serial_input_available(0), 0);
    CloseHandle(server);
}

} // namespace
