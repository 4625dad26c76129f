// Gadget sizes, shared by both back-ends: gadget_width and gadget_height
// (gadget_size.cpp) look the gadget up on the event-loop thread and ask its
// back-end's gadget_measure.cpp for one of these.
#pragma once

#include <cstdint>

struct GadgetRecord; // each back-end's own

struct GadgetSize {
    std::int32_t width;
    std::int32_t height;
};

// The size as placed, and the size the gadget's content needs.
GadgetSize gadget_placed_size(GadgetRecord *record);
GadgetSize gadget_needed_size(GadgetRecord *record);

// A one-line field can shrink to almost nothing; its text scrolls.
inline constexpr std::int32_t STRING_NEEDED_WIDTH = 20;
