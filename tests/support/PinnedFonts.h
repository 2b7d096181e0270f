// PinnedFonts: the drawing tests' fonts, the DejaVu core files through a fontconfig file of our own.
#pragma once

#include <gtest/gtest.h>

#include "drawing/TextShaper.h"

namespace vek {

// Pins the fonts once per test program, before anything is measured.
inline void PinTestFonts()
{
    static const bool pinned = PinFontConfiguration(VEK_SOURCE_DIR "/tests/fixtures/drawing/fonts.conf");
    ASSERT_TRUE(pinned) << "tests/fixtures/drawing/fonts.conf cannot be read";
}

}  // namespace vek
