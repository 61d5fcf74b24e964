#include "golden.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/picture_codecs.hpp"

namespace mivo::testing {

bool UpdateGolden() {
    for (const std::string& a : ::testing::internal::GetArgvs())
        if (a == "--update-golden") return true;
    return false;
}

void ExpectGolden(const std::string& name, const TDIBSurface& pic, const TDIBSurface* alpha) {
    const std::filesystem::path path = std::filesystem::path(MIVO_SOURCE_DIR) / "tests/graphics/golden" / (name + ".png");
    const std::string png = EncodePng(pic, alpha);
    if (UpdateGolden()) {
        std::ofstream(path, std::ios::binary).write(png.data(), std::streamsize(png.size()));
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path << " is missing; run the test with --update-golden and review the picture";
    const std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const DecodedPicture want = DecodePng(stored.data(), stored.size(), path.string());
    const TDIBSurface got = ConvertTo24(pic);
    ASSERT_EQ(want.pixels.Width(), got.Width()) << name;
    ASSERT_EQ(want.pixels.Height(), got.Height()) << name;
    int64_t differing = 0;
    for (int32_t y = 0; y < got.Height(); ++y)
        for (int32_t x = 0; x < got.Width(); ++x) differing += want.pixels.GetPixel(x, y) != got.GetPixel(x, y);
    EXPECT_EQ(differing, 0) << name << ": pixels differ from " << path;
    ASSERT_EQ(want.alpha.has_value(), alpha != nullptr) << name;
    if (alpha) {
        int64_t alpha_differing = 0;
        for (int32_t y = 0; y < got.Height(); ++y)
            for (int32_t x = 0; x < got.Width(); ++x)
                alpha_differing += want.alpha->GetPixel(x, y) != alpha->GetPixel(x, y);
        EXPECT_EQ(alpha_differing, 0) << name << ": alpha differs from " << path;
    }
}

}  // namespace mivo::testing
