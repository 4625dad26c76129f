// What each back-end provides under the gadget constructors of
// gadget_create.cpp, which hands them over to the event-loop thread: these
// run there, each in its kind's file, and answer as the constructor does.
#pragma once

#include "core/core.h"

#include <cstdint>

std::intptr_t button_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, const WideText &text,
                                   std::int32_t flags);
std::intptr_t text_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                 std::int32_t width, std::int32_t height, const WideText &text,
                                 std::int32_t flags);
std::intptr_t string_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, const WideText &text,
                                   std::int32_t flags);
std::intptr_t combo_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                  std::int32_t width, std::int32_t height, std::int32_t flags);
std::intptr_t list_icon_native_create(ObjectId number, std::int32_t x, std::int32_t y,
                                      std::int32_t width, std::int32_t height,
                                      const WideText &title, std::int32_t title_width,
                                      std::int32_t flags);
