#include "evaluation/records.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(NoLimitMark, IsNaNRecognisesNaNPatternsOnly)
{
    EXPECT_EQ(IsNaN(0x7FFFFFFFu), 1);
    EXPECT_EQ(IsNaN(0xFFFFFFFFu), 1);   // sign ignored
    EXPECT_EQ(IsNaN(0x7F800001u), 1);
    EXPECT_EQ(IsNaN(0x7F800000u), 0);   // +infinity
    EXPECT_EQ(IsNaN(0xFF800000u), 0);   // -infinity
    EXPECT_EQ(IsNaN(0x3F800000u), 0);   // 1.0
    EXPECT_EQ(IsNaN(NoLimit()), 1);
    EXPECT_EQ(FloatBits(NoLimit()), NO_LIMIT_BITS);
}

TEST(Records, FieldsLandAtTheirOffsets)
{
    HarmFrame f{};
    f.fltr = 0x01020304;
    f.hiam[40] = 1.5f;
    f.hist = 0x402;
    f.aiva[3] = -2.0f;
    unsigned char b[sizeof f];
    RecordToBytes(f, b);
    EXPECT_EQ(b[0], 0x04);
    EXPECT_EQ(b[3], 0x01);
    float v;
    std::memcpy(&v, b + 4 + 40 * 4, 4);
    EXPECT_EQ(v, 1.5f);
    int32_t hist;
    std::memcpy(&hist, b + 392, 4);
    EXPECT_EQ(hist, 0x402);
    std::memcpy(&v, b + 456, 4);
    EXPECT_EQ(v, -2.0f);

    FlkFrame k{};
    k.flre = 0x28;
    k.flms[31] = 3.0f;
    unsigned char kb[sizeof k];
    RecordToBytes(k, kb);
    int32_t flre;
    std::memcpy(&flre, kb + 452, 4);
    EXPECT_EQ(flre, 0x28);
    std::memcpy(&v, kb + 60 + 31 * 4, 4);
    EXPECT_EQ(v, 3.0f);
}

TEST(Records, OrderMaskWordForHighOrdersFirst)
{
    int32_t w[2];
    SetOrderMaskWords(w, OrderBit(3) | OrderBit(33) | OrderBit(40));
    EXPECT_EQ(w[0], (1 << 1) | (1 << 8));
    EXPECT_EQ(w[1], 1 << 3);
    EXPECT_EQ(OrderMask(w), OrderBit(3) | OrderBit(33) | OrderBit(40));
}

TEST(Records, ResetMarksUserLimitsAsNoLimit)
{
    limits[5] = 1.0f;
    reset_records();
    for (float l : limits) EXPECT_EQ(FloatBits(l), NO_LIMIT_BITS);
}
