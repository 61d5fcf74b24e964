#include <gtest/gtest.h>

#include "data/streams.hpp"

using namespace mivo;

TEST(Serialisation, StringLengthZeroOrNegativeIsEmpty) {
    for (int32_t n : {0, -1, -100}) {
        TMemoryStream m;
        WriteInt32(m, n);
        WriteInt32(m, 77);
        m.SetPosition(0);
        EXPECT_EQ(ReadStr(m), "");
        EXPECT_EQ(m.Position(), 4);
        EXPECT_EQ(ReadInt32(m), 77);
    }
}
