// Re-evaluation of logging files written the way the acquisition writes them.
#include "evaluation/harmonic_eval.h"
#include "evaluation/limits.h"
#include "files/reevaluation.h"
#include "files/logfile.h"
#include "state/para.h"
#include "state/panels.h"
#include "platform/fixed_text.h"
#include "state/reset.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string TempPath(const char* name)
{
    return ::testing::TempDir() + "orivan_reeval_" + std::to_string(::getpid()) + "_" + name;
}

HarmFrame Quiet(float i1 = 10.0f)
{
    HarmFrame f{};
    f.hiam[1] = i1;
    f.freq = 50.0f;
    f.fltr = 1000;
    f.hima = i1;
    return f;
}

// A harmonic run: settings, frames judged live as the acquisition does,
// the stop with its re-evaluation of every phase.
class HarmonicRun {
public:
    HarmonicRun(const char* name, int phases, int32_t edition, int32_t cls) : path_(TempPath(name)), P_(phases)
    {
        ResetProgramState();
        para.test_kind = 0;
        para.phases = phases;
        para.h_standard = edition;
        para.h_class = cls;
        para.h_minutes = 20;
        CopyFixed(para.sw_version, "3.00");
        CopyFixed(para.log_file, path_.c_str());
    }
    ~HarmonicRun()
    {
        if (fd_ >= 0) ::close(fd_);
        ::unlink(path_.c_str());
    }
    void Start()
    {
        ASSERT_EQ(LogCreate(path_.c_str(), para, &fd_), LOG_OK) << LogErrorText();
    }
    // One acquisition tick with the received records of all phases.
    void Tick(const HarmFrame* received)
    {
        for (int ch = 0; ch < P_; ++ch) {
            buf[ch] = received[ch];
            float out[ORDERS];
            const bool ctrl = para.h_standard > 1;
            Limits(out, ctrl ? para.ctrl_power[ch] : buf[ch].p, ctrl ? para.ctrl_pf[ch] : buf[ch].pf,
                   ctrl ? para.ctrl_current[ch] : buf[ch].itrms, buf[ch].hima, para.rsce, ch,
                   &para.rsce_recommended, 1);
            std::memcpy(buf[ch].limit, out, sizeof out);
            CalculateActualResults(buf[ch], buf_result[ch]);
        }
        if (para.custom_limits == 1) ApplyUserLimits(buf, 3);
        ASSERT_EQ(LogAppendSet(fd_, buf, P_, LOG_HARM_RECORD, &size_), LOG_OK) << LogErrorText();
    }
    void Tick(const HarmFrame& one) { Tick(&one); }
    // The stop: header, re-evaluation and result record per phase.
    void Stop(const HarmResult* results)
    {
        for (int ch = 0; ch < P_; ++ch) buf_result[ch] = results[ch];
        ASSERT_EQ(LogWriteHeader(fd_, size_, para), LOG_OK);
        for (int ch = 0; ch < P_; ++ch) {
            ASSERT_EQ(NewLimits(fd_, ch, -1, -1), LOG_OK);
            ASSERT_EQ(LogAppendResult(fd_, buf_result[ch]), LOG_OK);
        }
    }
    void Stop(const HarmResult& one) { Stop(&one); }

    HarmFrame Stored(int32_t frame, int phase = 0) const
    {
        HarmFrame f;
        EXPECT_EQ(LogPread(fd_, &f, sizeof f, LOG_DATA_OFFSET + (int64_t(frame) * P_ + phase) * 460),
                  LOG_OK);
        return f;
    }
    std::vector<unsigned char> Bytes() const
    {
        std::vector<unsigned char> b(size_t(LogFileSize(fd_)));
        EXPECT_EQ(LogPread(fd_, b.data(), b.size(), 0), LOG_OK);
        return b;
    }
    int fd() const { return fd_; }
    int32_t size() const { return size_; }

private:
    std::string path_;
    int P_;
    int fd_ = -1;
    int32_t size_ = 0;
};

HarmResult ResultWithAverage(int order, float avg)
{
    HarmResult r{};
    r.hiav[order] = avg;
    return r;
}

}  // namespace

TEST(Reevaluation, ClassAFrameAbove100PercentFailsOnlyThroughTheFrameCheck)
{
    HarmonicRun run("a_120", 1, 3, CLASS_A);
    run.Start();
    HarmFrame f = Quiet();
    f.hiam[3] = 1.2f * 2.30f;
    run.Tick(f);
    EXPECT_EQ(buf[0].hist, 0x003);  // live
    HarmFrame g = Quiet();
    g.hiam[3] = 1.0f;
    g.fltr = 0;
    run.Tick(g);
    run.Stop(ResultWithAverage(3, 1.9f));
    EXPECT_EQ(buf_result[0].higf & 0x403, 0x003);
    EXPECT_EQ(OrderMask(buf_result[0].hilt), OrderBit(3));
    EXPECT_EQ(run.Stored(0).hist, 0x002);  // 0x001 only with 0x400 or HIGF 0x002
    EXPECT_EQ(run.Stored(1).hist, 0);
}

TEST(Reevaluation, ClassA2006ShortExcessIsWithdrawn)
{
    // One order at 180 % for 5 % of a 20-minute test, mean 80 %.
    HarmonicRun run("a_withdraw", 1, 3, CLASS_A);
    run.Start();
    const int frames = 6000;  // 20 min of 0.2 s windows
    const float high = 1.8f * 2.30f;
    const float low = float((0.8 - 0.05 * 1.8) / 0.95 * 2.30);
    double sum = 0;
    for (int k = 0; k < frames; ++k) {
        HarmFrame f = Quiet();
        f.hiam[3] = (k >= 1000 && k < 1300) ? high : low;
        f.fltr = frames - 1 - k;
        sum += f.hiam[3];
        run.Tick(f);
    }
    run.Stop(ResultWithAverage(3, float(sum / frames)));
    EXPECT_EQ(buf_result[0].higf & 0x403, 0x003);  // 150 % withdrawn, 100 % stays
    EXPECT_EQ(run.Stored(1000).hist, 0xC03);       // 150 % by stored and recomputed limits
    EXPECT_EQ(run.Stored(1100).hist, 0xC03);       // keeps its stored 0x002
    EXPECT_EQ(run.Stored(999).hist, 0);
    EXPECT_EQ(run.Stored(5000).hist, 0);
}

TEST(Reevaluation, ClassA2006ExcessForTenPercentStands)
{
    HarmonicRun run("a_stands", 1, 2, CLASS_A);
    run.Start();
    const int frames = 6000;
    const float high = 1.8f * 2.30f;
    const float low = float((0.8 - 0.1 * 1.8) / 0.9 * 2.30);
    for (int k = 0; k < frames; ++k) {
        HarmFrame f = Quiet();
        f.hiam[3] = k < 600 ? high : low;  // 120 s = 10 % of 1200 s: not below
        f.fltr = frames - 1 - k;
        run.Tick(f);
    }
    run.Stop(ResultWithAverage(3, 0.8f * 2.30f));
    EXPECT_EQ(buf_result[0].higf & 0x403, 0x403);
}

TEST(Reevaluation, ClassA2006NeedsBelow600sAndBelowTenPercent)
{
    // A 3-hour test: 620 s above 150 % is under 10 % of the duration but not
    // under 600 s, so the mark stands; 580 s is withdrawn.
    for (int above : {3100, 2900}) {
        HarmonicRun run("a_600", 1, 3, CLASS_A);
        para.h_hours = 3;
        para.h_minutes = 0;
        run.Start();
        const int frames = above + 7100;
        double sum = 0;
        for (int k = 0; k < frames; ++k) {
            HarmFrame f = Quiet();
            f.hiam[3] = k < above ? 1.8f * 2.30f : 0.5f * 2.30f;
            f.fltr = frames - 1 - k;
            sum += f.hiam[3];
            run.Tick(f);
        }
        run.Stop(ResultWithAverage(3, float(sum / frames)));
        EXPECT_EQ(buf_result[0].higf & 0x400, above == 3100 ? 0x400 : 0) << above;
        EXPECT_EQ(buf_result[0].higf & 0x003, 0x003);
    }
}

TEST(Reevaluation, ClassA1995KeepsThe150PercentMark)
{
    HarmonicRun run("a_1995", 3, 1, CLASS_A);
    run.Start();
    for (int k = 0; k < 10; ++k) {
        HarmFrame set[3] = {Quiet(), Quiet(), Quiet()};
        for (HarmFrame& f : set) f.hiam[5] = 0.5f;
        if (k == 4) set[1].hiam[5] = 2.0f;  // 175 % of 1.14 A, phase L2 only
        for (HarmFrame& f : set) f.fltr = 9 - k;
        run.Tick(set);
    }
    HarmResult res[3] = {ResultWithAverage(5, 0.5f), ResultWithAverage(5, 0.65f), ResultWithAverage(5, 0.5f)};
    for (int ch = 0; ch < 3; ++ch) buf_result[ch] = res[ch];
    ASSERT_EQ(LogWriteHeader(run.fd(), run.size(), para), LOG_OK);
    ASSERT_EQ(NewLimits(run.fd(), 0), LOG_OK);
    const std::vector<unsigned char> before = run.Bytes();
    ASSERT_EQ(NewLimits(run.fd(), 1), LOG_OK);
    const std::vector<unsigned char> after = run.Bytes();
    // Only phase L2's records changed; frame f of phase b at 3492 + (3f + b) * 460.
    for (int k = 0; k < 10; ++k)
        for (int b : {0, 2}) {
            const size_t at = 3492 + (size_t(k) * 3 + b) * 460;
            EXPECT_EQ(std::memcmp(before.data() + at, after.data() + at, 460), 0) << k << "/" << b;
        }
    ASSERT_EQ(NewLimits(run.fd(), 2), LOG_OK);
    EXPECT_EQ(buf_result[0].higf & 0x403, 0);
    EXPECT_EQ(buf_result[1].higf & 0x403, 0x403);
    EXPECT_EQ(buf_result[2].higf & 0x403, 0);
    EXPECT_EQ(OrderMask(buf_result[1].hilt), OrderBit(5));
    EXPECT_EQ(OrderMask(buf_result[0].hilt), 0u);
    EXPECT_EQ(run.Stored(4, 1).hist, 0xC03);
    EXPECT_EQ(run.Stored(4, 0).hist, 0);
}

TEST(Reevaluation, ClassCMarkedLimitNeverFailsAndExcessIsJudged)
{
    HarmonicRun run("c", 1, 3, CLASS_C);
    para.ctrl_pf[0] = 0.9f;
    para.ctrl_current[0] = 0.1f;
    run.Start();
    for (int k = 0; k < 10; ++k) {
        HarmFrame f = Quiet(0.1f);
        f.hiam[2] = 0.004f;                     // 200 % of 2 mA, but below 5 mA: no limit
        f.hiam[3] = k == 5 ? 0.045f : 0.02f;    // limit 27 mA; 45 mA is above 150 %
        f.fltr = 9 - k;
        run.Tick(f);
        EXPECT_EQ(buf[0].hist, k == 5 ? 0x403 : 0) << k;
    }
    HarmResult r{};
    r.hiav[2] = 0.004f;
    r.hiav[3] = 0.0225f;
    r.hpfm = 0.92f;   // within 10 %: the control values are used
    r.hifm = 0.105f;
    r.higf = 0x401 | 0x002;  // the analyser's answer is replaced by the evaluation
    run.Stop(r);
    EXPECT_EQ(buf_result[0].higf, 0x401);
    EXPECT_EQ(OrderMask(buf_result[0].hilt), OrderBit(3));
    EXPECT_TRUE(IsNaN(run.Stored(0).limit[2]));
    EXPECT_FLOAT_EQ(run.Stored(0).limit[3], 0.027f);
    EXPECT_EQ(run.Stored(5).hist, 0x403);
    EXPECT_EQ(run.Stored(4).hist, 0);
    EXPECT_EQ(run.Stored(6).hist, 0);
}

TEST(Reevaluation, ClassDPowerByTheTenPercentRule)
{
    for (float hpm : {105.0f, 150.0f}) {
        HarmonicRun run("d", 1, 3, CLASS_D);
        para.ctrl_power[0] = 100.0f;
        run.Start();
        HarmFrame f = Quiet(0.5f);
        f.hiam[3] = 0.36f;
        f.fltr = 0;
        run.Tick(f);
        EXPECT_EQ(buf[0].hist, 0x003);  // live against the control value: 0.34 A
        HarmResult r = ResultWithAverage(3, 0.36f);
        r.hpm = hpm;
        run.Stop(r);
        if (hpm == 105.0f) {
            EXPECT_FLOAT_EQ(run.Stored(0).limit[3], 0.34f);
            EXPECT_EQ(buf_result[0].higf & 0x403, 0x003);
            EXPECT_EQ(run.Stored(0).hist, 0x003);
        } else {
            EXPECT_FLOAT_EQ(run.Stored(0).limit[3], 0.51f);  // measured 150 W
            EXPECT_EQ(buf_result[0].higf & 0x403, 0);
            EXPECT_EQ(run.Stored(0).hist, 0);
        }
    }
}

TEST(Reevaluation, En61000_3_12TablesThdPwhdAndInformativeConditions)
{
    HarmonicRun run("t2", 1, 4, CLASS_3_12_TABLE2);
    para.rsce = 33.0f;
    run.Start();
    for (int k = 0; k < 6; ++k) {
        HarmFrame f = Quiet(10.0f);
        // Received phase angle of order 5 relative to the voltage: 60 degrees.
        f.limit[5] = 70.0f;
        f.huph1 = 10.0f;
        f.hiam[3] = k == 2 ? 3.5f : 2.0f;  // limit 2.16 A, 150 % = 3.24 A
        f.hiam[5] = 0.6f;
        f.hiam[7] = 0.6f;
        f.hiam[20] = k == 4 ? 1.0f : 0.0f;  // PWHD 100 * sqrt(20 * 0.01) = 44.7 > 23
        f.hihd = k == 3 ? 24.0f : 20.0f;    // THD limit 23
        f.fltr = 5 - k;
        run.Tick(f);
    }
    EXPECT_EQ(phase5_outside[0], 1);
    HarmResult r = ResultWithAverage(3, 2.1f);
    r.hiav[5] = 1.2f;  // limit 1.07 A
    r.higf = 0x004;
    run.Stop(r);
    const int32_t higf = buf_result[0].higf;
    EXPECT_EQ(higf & 0x004, 0);
    EXPECT_EQ(higf & 0x003, 0x003);  // HIAV[5] above its limit
    EXPECT_EQ(higf & 0x1800, 0x1800);
    EXPECT_EQ(higf & 0xE000, 0xE000);
    EXPECT_EQ(higf & 0x001, 0x001);
    EXPECT_EQ(phase5_outside[0], 0);  // taken by the phase's re-evaluation
    EXPECT_EQ(run.Stored(2).hist & 0x401, 0x401);
    EXPECT_NEAR(run.Stored(4).hpoc, 44.72f, 0.01f);
    EXPECT_FLOAT_EQ(run.Stored(0).limit[3], 2.16f);
    EXPECT_EQ(OrderMask(buf_result[0].hilt), OrderBit(3));  // order 20 counts in PWHD only
}

TEST(Reevaluation, FluctuatingHarmonicsOfA1995Run)
{
    HarmonicRun run("fluct", 1, 0, CLASS_A);
    run.Start();
    for (int k = 0; k < 500; ++k) {
        HarmFrame f = Quiet();
        f.hiam[3] = k < 60 ? 1.2f * 2.30f : 0.5f * 2.30f;
        f.fltr = 499 - k;
        run.Tick(f);
    }
    run.Stop(ResultWithAverage(3, 0.584f * 2.30f));
    EXPECT_FLOAT_EQ(buf_result[0].hfmx[3], 60.0f / 500);
    EXPECT_EQ(buf_result[0].hfmx[5], 0.0f);
    EXPECT_TRUE(IsNaN(buf_result[0].hfmx[12]));
    EXPECT_EQ(run.Stored(49).hist, 0x002);
    EXPECT_EQ(run.Stored(50).hist, 0x006);
    EXPECT_EQ(run.Stored(60).hist, 0x004);
    EXPECT_EQ(buf_result[0].higf & 0x403, 0x003);
}

TEST(Reevaluation, UserTableDecidesTheFrameBits)
{
    HarmonicRun run("user", 1, 3, CLASS_A);
    reset_records();
    limits[3] = 1.0f;  // the table has order 3 only
    para.custom_limits = 1;
    run.Start();
    HarmFrame f = Quiet();
    f.hiam[3] = 1.2f;   // above the user limit, far below class A
    f.hiam[5] = 1.5f;   // above class A (1.14 A), no user limit
    f.fltr = 0;
    run.Tick(f);
    run.Stop(ResultWithAverage(3, 1.2f));
    const HarmFrame s = run.Stored(0);
    EXPECT_EQ(s.limit[3], 1.0f);
    EXPECT_TRUE(IsNaN(s.limit[5]));
    EXPECT_EQ(OrderMask(buf_result[0].hilt), OrderBit(3));
    EXPECT_EQ(buf_result[0].higf & 0x003, 0x003);
    reset_records();
}

TEST(Reevaluation, CountIsTrustedOnlyAsFarAsTheFileReaches)
{
    HarmonicRun run("count", 1, 1, CLASS_A);
    run.Start();
    for (int k = 0; k < 10; ++k) {
        HarmFrame f = Quiet();
        f.hiam[3] = 3.0f;  // above 100 %, not 150 %
        f.fltr = 9 - k;
        run.Tick(f);
    }
    const int64_t length = LogFileSize(run.fd());
    ASSERT_EQ(LogWriteHeader(run.fd(), 100, para), LOG_OK);  // claims more than stored
    buf_result[0] = ResultWithAverage(3, 3.0f);
    ASSERT_EQ(NewLimits(run.fd(), 0), LOG_OK);
    EXPECT_EQ(LogFileSize(run.fd()), length);
    EXPECT_EQ(run.Stored(9).hist, 0x003);  // the last frame was judged (HIGF 0x002 seen)

    // A count below the stored sets leaves the later frames as stored.
    HarmFrame raw = run.Stored(7);
    raw.hist = 0x7000;
    ASSERT_EQ(LogPwrite(run.fd(), &raw, sizeof raw, 3492 + 7 * 460), LOG_OK);
    ASSERT_EQ(LogWriteHeader(run.fd(), 4, para), LOG_OK);
    ASSERT_EQ(NewLimits(run.fd(), 0), LOG_OK);
    EXPECT_EQ(run.Stored(7).hist, 0x7000);

    // A second pass over the same file and result gives the same bytes.
    ASSERT_EQ(LogWriteHeader(run.fd(), 10, para), LOG_OK);
    ASSERT_EQ(NewLimits(run.fd(), 0), LOG_OK);
    const std::vector<unsigned char> once = run.Bytes();
    const HarmResult r1 = buf_result[0];
    ASSERT_EQ(NewLimits(run.fd(), 0), LOG_OK);
    EXPECT_EQ(run.Bytes(), once);
    EXPECT_EQ(std::memcmp(&r1, &buf_result[0], sizeof r1), 0);
}

TEST(Reevaluation, ClassesWithoutLimitsAndForeignHeads)
{
    HarmonicRun run("none", 1, 1, 7);
    run.Start();
    HarmFrame f = Quiet();
    f.hiam[3] = 100.0f;
    f.hist = 0x55;
    run.Tick(f);
    ASSERT_EQ(LogWriteHeader(run.fd(), 1, para), LOG_OK);
    const std::vector<unsigned char> before = run.Bytes();
    HarmResult r{};
    r.higf = 0x123;
    r.hilt[1] = 8;
    buf_result[0] = r;
    ASSERT_EQ(NewLimits(run.fd(), 0), LOG_OK);
    EXPECT_EQ(run.Bytes(), before);
    EXPECT_EQ(std::memcmp(&r, &buf_result[0], sizeof r), 0);

    EXPECT_EQ(NewLimits(run.fd(), 1), LOG_ERR_FOREIGN);  // one phase only
    para.test_kind = 1;
    ASSERT_EQ(LogWriteHeader(run.fd(), 1, para), LOG_OK);
    EXPECT_EQ(NewLimits(run.fd(), 0), LOG_ERR_FOREIGN);
    ASSERT_EQ(::ftruncate(run.fd(), 100), 0);
    EXPECT_EQ(NewLimits(run.fd(), 0), LOG_ERR_FOREIGN);
}

TEST(Reevaluation, OnePassOverAllPhasesGivesTheSameFile)
{
    // The same three-phase run re-evaluated phase by phase and in one pass.
    std::vector<unsigned char> files[2];
    HarmResult results[2][3];
    for (int variant = 0; variant < 2; ++variant) {
        HarmonicRun run(variant ? "all" : "each", 3, 3, CLASS_C);
        for (int ch = 0; ch < 3; ++ch) {
            para.ctrl_pf[ch] = 0.9f;
            para.ctrl_current[ch] = 1.0f + ch;
        }
        run.Start();
        for (int k = 0; k < 1200; ++k) {
            HarmFrame set[3];
            for (int ch = 0; ch < 3; ++ch) {
                set[ch] = Quiet(1.0f + ch);
                set[ch].hiam[3] = (0.2f + 0.1f * float((k * (ch + 1)) % 5)) * (1.0f + ch);
                set[ch].hiam[5] = 0.09f * (1.0f + ch);
                set[ch].fltr = 1199 - k;
            }
            run.Tick(set);
        }
        HarmResult r[3];
        for (int ch = 0; ch < 3; ++ch) {
            r[ch] = ResultWithAverage(3, 0.3f * (1.0f + ch));
            r[ch].hpfm = 0.95f;
            r[ch].hifm = 1.05f * (1.0f + ch);
            buf_result[ch] = r[ch];
        }
        ASSERT_EQ(LogWriteHeader(run.fd(), run.size(), para), LOG_OK);
        if (variant == 0) {
            for (int ch = 0; ch < 3; ++ch) {
                ASSERT_EQ(NewLimits(run.fd(), ch), LOG_OK);
                ASSERT_EQ(LogAppendResult(run.fd(), buf_result[ch]), LOG_OK);
            }
        } else {
            ASSERT_EQ(NewLimitsAll(run.fd()), LOG_OK);
            for (int ch = 0; ch < 3; ++ch) ASSERT_EQ(LogAppendResult(run.fd(), buf_result[ch]), LOG_OK);
        }
        files[variant] = run.Bytes();
        for (int ch = 0; ch < 3; ++ch) results[variant][ch] = buf_result[ch];
    }
    // (the headers differ in the file name only)
    ASSERT_EQ(files[0].size(), files[1].size());
    EXPECT_TRUE(std::equal(files[0].begin() + 3492, files[0].end(), files[1].begin() + 3492));
    EXPECT_EQ(std::memcmp(results[0], results[1], sizeof results[0]), 0);
    EXPECT_NE(results[0][1].higf & 0x401, 0);  // the run does fail somewhere
}
