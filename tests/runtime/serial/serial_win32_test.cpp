// The Win32 serial back-end without a device: line parameters in the driver's
// control block, and the device name it opens.
#include "serial/serial.h"

#include "serial/win32/serial_win32.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The driver's block keeps every field the settings do not name; the
// handshake code picks the flow control, an unknown one leaves it alone.
TEST(Win32SerialSettings, LineParametersReachTheDriverUncheckedAndKeepItsOwnFields) {
    for (std::int32_t handshake : {0, 1, 2, 3, 5, -1}) {
        DCB control{};
        control.fDtrControl = DTR_CONTROL_HANDSHAKE;
        control.fRtsControl = RTS_CONTROL_TOGGLE;
        control.XonChar = 'a';
        control.ErrorChar = 'e';
        serial_apply_settings(control, 123456, 7, 9, NAN, handshake, 64);
        EXPECT_EQ(control.BaudRate, 123456u);
        EXPECT_EQ(control.Parity, 7);
        EXPECT_EQ(control.ByteSize, 9);
        EXPECT_EQ(control.StopBits, ONE5STOPBITS);
        EXPECT_EQ(control.fDtrControl, DTR_CONTROL_HANDSHAKE);
        EXPECT_EQ(control.ErrorChar, 'e');
        EXPECT_EQ(control.fRtsControl == RTS_CONTROL_TOGGLE, handshake == 3 || handshake == 5 || handshake == -1);
        EXPECT_EQ(control.XonChar, handshake == 3 ? 0x11 : 'a') << handshake;
    }
    // The XON and XOFF limits are 16-bit fields; a negative queue size counts as none.
    for (auto [input, limit] : {std::pair{1000000, 65535}, {-50, 0}}) {
        DCB control{};
        serial_apply_settings(control, 9600, 0, 8, 1.0f, 3, input);
        EXPECT_EQ(control.XonLim + control.XoffLim, 2 * limit) << input;
    }
}

// A named pipe opens like a device but has no line settings, so the port is
// closed again; its server end sees the client come and go.
TEST(Win32SerialPorts, LongNamesAreCutAndDevicesWithoutSettingsAreClosedAgain) {
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
    CloseHandle(server);
}

} // namespace
