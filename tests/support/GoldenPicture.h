// GoldenPicture: compares a rendered PNG with a golden picture under tests/fixtures, allowing for the
// small differences between font rasterisers. VEK_UPDATE_GOLDEN=1 rewrites the golden picture.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "drawing/DrawingPort.h"

namespace vek::test {

// Expects the picture to match the golden file (a path under the source tree); on a mismatch writes
// NAME-actual.png and NAME-difference.png into the test's working folder.
inline void ExpectMatchesGoldenPicture(const std::string& png, const std::string& goldenPath, const std::string& name)
{
    ASSERT_FALSE(png.empty());
    if (std::getenv("VEK_UPDATE_GOLDEN")) {
        std::ofstream(goldenPath, std::ios::binary) << png;
        GTEST_SKIP() << "golden picture written";
    }
    std::ifstream in(goldenPath, std::ios::binary);
    std::string goldenBytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto actual = DrawingPort::DecodePng(png);
    auto golden = DrawingPort::DecodePng(goldenBytes);
    ASSERT_NE(actual, nullptr);
    const bool sameSize =
        golden != nullptr && golden->Width() == actual->Width() && golden->Height() == actual->Height();
    // A pixel may be off by a small amount, and a few edge pixels of glyphs by more.
    constexpr int32_t kChannelTolerance = 48;
    int32_t offPixels = 0;
    auto difference = DrawingPort::CreateImage(actual->Width(), actual->Height());
    for (int32_t y = 0; sameSize && y < actual->Height(); ++y) {
        for (int32_t x = 0; x < actual->Width(); ++x) {
            uint32_t p = actual->PixelAt(x, y);
            uint32_t q = golden->PixelAt(x, y);
            int32_t worst = 0;
            for (int32_t shift : {0, 8, 16})
                worst = std::max(worst, std::abs(int32_t((p >> shift) & 0xFF) - int32_t((q >> shift) & 0xFF)));
            if (worst > kChannelTolerance) {
                ++offPixels;
                difference->SetPixel(x, y, 0xFF0000);
            }
        }
    }
    const int32_t allowed = actual->Width() * actual->Height() / 1000;
    if (!sameSize || offPixels > allowed) {
        std::ofstream(name + "-actual.png", std::ios::binary) << png;
        std::ofstream(name + "-difference.png", std::ios::binary) << difference->EncodePng();
    }
    ASSERT_TRUE(sameSize) << "golden picture missing or of another size; see " << name << "-actual.png";
    EXPECT_LE(offPixels, allowed) << "see " << name << "-actual.png and " << name << "-difference.png";
}

}  // namespace vek::test
