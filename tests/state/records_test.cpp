#include "state/records.h"

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

TEST(Records, ResultRecordFieldsLandAtTheirOffsets)
{
    HarmResult r{};
    r.fltr = 150;
    r.hiav[0] = 0.25f;
    r.humx[40] = 2.0f;
    r.hfmx[1] = 0.125f;
    r.hilt[0] = 0x100; r.hilt[1] = 0x8;
    r.hult[1] = 3; r.hifl[0] = 5;
    r.higf = HIGF_FAIL | HIGF_OVER150;
    r.hugf = HUGF_FREQ; r.hens = HENS_POW; r.eval = 12; r.edit = 3;
    r.hpm = 100.0f; r.hpfm = 0.9f; r.hifm = 0.5f;
    unsigned char b[sizeof r];
    RecordToBytes(r, b);
    auto i32 = [&](size_t off) { int32_t v; std::memcpy(&v, b + off, 4); return v; };
    auto f32 = [&](size_t off) { float v; std::memcpy(&v, b + off, 4); return v; };
    EXPECT_EQ(i32(0), 150);
    EXPECT_EQ(f32(4), 0.25f);
    EXPECT_EQ(f32(168 + 160), 2.0f);
    EXPECT_EQ(f32(336), 0.125f);
    EXPECT_EQ(i32(496), 0x100);
    EXPECT_EQ(i32(500), 0x8);
    EXPECT_EQ(i32(508), 3);
    EXPECT_EQ(i32(512), 5);
    EXPECT_EQ(i32(520), 0x401);
    EXPECT_EQ(i32(520), HIGF_LAMP_2006);
    EXPECT_EQ(i32(524), 0x08);
    EXPECT_EQ(i32(528), 0x8);
    EXPECT_EQ(i32(532), 12);
    EXPECT_EQ(i32(536), 3);
    EXPECT_EQ(f32(540), 100.0f);
    EXPECT_EQ(f32(544), 0.9f);
    EXPECT_EQ(f32(548), 0.5f);

    HarmResult back;
    RecordFromBytes(back, b);
    EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
}

TEST(NoLimitMark, StoredFieldsAndIntegerPatterns)
{
    HarmFrame f{};
    f.limit[7] = NoLimit();
    unsigned char b[sizeof f];
    RecordToBytes(f, b);
    int32_t word;
    std::memcpy(&word, b + 168 + 7 * 4, 4);
    EXPECT_EQ(word, 0x7FFFFFFF);
    EXPECT_EQ(IsNaN(word), 1);                  // a signed word works as well
    EXPECT_EQ(IsNaN(int32_t(0x7F800000)), 0);
    EXPECT_EQ(IsNaN(double(NoLimit())), 1);
    EXPECT_EQ(IsNaN(1.0), 0);
    EXPECT_EQ(FLRE_DMAX, 0x08);
    EXPECT_EQ(FLRE_PST | FLRE_PLT | FLRE_DT | FLRE_DC, 0x36);
    EXPECT_EQ(HIST_LAMP_2006, 0x402);
}
