// The Win32 serial back-end without a device: line parameters in the driver's
// control block, and the device name it opens.
#include "serial/serial.h"

#include "win32/serial_win32.h"

#include <gtest/gtest.h>

namespace {

// The program's 9600 8N1 without handshake reaches the driver's block; the
// fields it does not name stay as the driver had them.
TEST(Win32SerialSettings, LineParametersReachTheDriverAndKeepItsOwnFields) {
    DCB control{};
    control.fDtrControl = DTR_CONTROL_HANDSHAKE;
    control.XonChar = 'a';
    control.ErrorChar = 'e';
    serial_apply_settings(control, 9600, 0, 8, 1.0f, 0, 64);
    EXPECT_EQ(control.BaudRate, 9600u);
    EXPECT_EQ(control.Parity, NOPARITY);
    EXPECT_EQ(control.ByteSize, 8);
    EXPECT_EQ(control.StopBits, ONESTOPBIT);
    EXPECT_EQ(control.fDtrControl, DTR_CONTROL_HANDSHAKE);
    EXPECT_EQ(control.XonChar, 'a');
    EXPECT_EQ(control.ErrorChar, 'e');
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
