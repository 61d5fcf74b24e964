#pragma once
// Golden pictures: PNG files under tests/graphics/golden/, compared pixel for
// pixel. Running a test program with --update-golden rewrites them.
#include <string>

#include "graphics/dibsurface.hpp"

namespace mivo::testing {

bool UpdateGolden();
// Compares pic (any format, compared as 24-bit colours) with golden/NAME.png,
// together with the alpha plane when given.
void ExpectGolden(const std::string& name, const TDIBSurface& pic, const TDIBSurface* alpha = nullptr);

}  // namespace mivo::testing
