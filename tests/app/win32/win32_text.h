// Texts of Win32 windows as the tests compare them (defined in
// editor_harness_win32.cpp). The tests' texts are ASCII: one byte per unit.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

std::string ascii_text(const wchar_t *text);
std::string shown_text(HWND window);
