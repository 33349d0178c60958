// The supply fluctuation generator, its text form and the flicker-verify command.
#include "sim/dsp/fluctuation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

using namespace orivan::dsp;

TEST(SupplyFluctuation, ParsesTheCommandLineForms)
{
    Fluctuation f;
    std::string err;
    ASSERT_TRUE(Fluctuation::Parse("rect:cpm=110,du=0.722", &f, &err)) << err;
    EXPECT_EQ(f.kind, Fluctuation::Rect);
    EXPECT_EQ(f.cpm, 110);
    EXPECT_EQ(f.du_pct, 0.722);
    ASSERT_TRUE(Fluctuation::Parse("sine:du=0.25,hz=8.8", &f, &err)) << err;
    EXPECT_EQ(f.kind, Fluctuation::Sine);
    EXPECT_EQ(f.hz, 8.8);
    EXPECT_EQ(f.du_pct, 0.25);
    ASSERT_TRUE(Fluctuation::Parse("none", &f, &err));
    EXPECT_EQ(f.kind, Fluctuation::None);

    for (const char* bad : {"", "square:hz=1,du=1", "sine", "sine:hz=8.8", "sine:du=0.25",
                            "sine:hz=8,8,du=0.25", "rect:hz=10,du=1", "rect:cpm=-1,du=1",
                            "rect:cpm=110,du=abc", "rect:cpm=110,du=0.7x", "sine:hz=nan,du=1",
                            "rect:cpm=110,du=200", "rect:cpm=110,,du=1"}) {
        err.clear();
        Fluctuation untouched;
        untouched.cpm = 7;
        EXPECT_FALSE(Fluctuation::Parse(bad, &untouched, &err)) << bad;
        EXPECT_FALSE(err.empty()) << bad;
        EXPECT_EQ(untouched.cpm, 7) << bad;
    }
}

TEST(SupplyFluctuation, WaveformFollowsTheDefinition)
{
    SupplyConfig sc;
    sc.fluctuation.kind = Fluctuation::Rect;
    sc.fluctuation.cpm = 60;          // a change every second, the first after 0.5 s
    sc.fluctuation.du_pct = 2;
    SupplyGenerator g(sc);
    std::vector<double> u = g.generate(size_t(sc.sample_rate * 20));
    const double peak = 230 * std::sqrt(2.0);
    for (size_t k = 0; k < u.size(); k += 97) {
        double t = double(k) / sc.sample_rate;
        double m = (long(std::floor(t + 0.5)) % 2) ? -1 : 1;
        EXPECT_NEAR(u[k], peak * std::sin(2 * M_PI * 50 * t) * (1 + 0.01 * m), 1e-6) << t;
    }
    EXPECT_NEAR(g.time(), 20.0, 1e-12);

    SupplyConfig ss;
    ss.fluctuation.kind = Fluctuation::Sine;
    ss.fluctuation.hz = 8.8;
    ss.fluctuation.du_pct = 0.25;
    SupplyGenerator s(ss);
    std::vector<double> v = s.generate(size_t(ss.sample_rate * 3600 / 100));
    for (size_t k = 0; k < v.size(); k += 1013) {
        double t = double(k) / ss.sample_rate;
        double e = peak * std::sin(2 * M_PI * 50 * t) * (1 + 0.00125 * std::sin(2 * M_PI * 8.8 * t));
        EXPECT_NEAR(v[k], e, 1e-6) << t;
    }
    SupplyConfig bad;
    bad.sample_rate = 90;
    EXPECT_THROW(SupplyGenerator{bad}, std::invalid_argument);
}

namespace {

int RunVerify(const std::string& args, std::string* out)
{
    std::string cmd = std::string(ORIVAN_BINARY_DIR) + "/bin/flicker-verify " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    std::array<char, 256> buf;
    while (fgets(buf.data(), int(buf.size()), p))
        *out += buf.data();
    int st = pclose(p);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

}  // namespace

TEST(FlickerVerifyCommand, PrintsPinstPstAndPlt)
{
    std::string out;
    ASSERT_EQ(RunVerify("--fluctuation rect:cpm=1620,du=0.407 --minutes 1 --periods 2", &out), 0) << out;
    EXPECT_NE(out.find("Pst 1: 0.99"), std::string::npos) << out;
    EXPECT_NE(out.find("Pst 2: 0.99"), std::string::npos) << out;
    EXPECT_NE(out.find("Plt: 0.99"), std::string::npos) << out;
    EXPECT_NE(out.find("Pinst,max: "), std::string::npos) << out;

    out.clear();
    ASSERT_EQ(RunVerify("--fluctuation sine:hz=8.8,du=0.321 --lamp 120/60 --seconds 20", &out), 0) << out;
    EXPECT_NE(out.find("Pinst,max: 1.00"), std::string::npos) << out;

    for (const char* bad : {"", "--fluctuation rect:cpm=110", "--fluctuation sine:hz=1,du=1 --lamp 230/60",
                            "--fluctuation sine:hz=1,du=1 --periods 0", "--fluctuation sine:hz=1,du=1 --bogus 1",
                            "--fluctuation sine:hz=1,du=1 --minutes"}) {
        out.clear();
        EXPECT_EQ(RunVerify(bad, &out), 2) << bad;
        EXPECT_NE(out.find("usage:"), std::string::npos) << bad;
    }
}
