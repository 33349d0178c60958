// The GPIB back-end over a stand-in libgpib.so.0.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gpib/linux_gpib.h"
#include "platform/visa/backend.h"
#include "platform/visa/ports.h"
#include "platform/visa/visa.h"
#include "state/reset.h"

namespace {

// Asks "*IDN?" on an open session: the status byte shows MAV; with ","
// as termination character a read ends after `first`; with it off a read of
// `part` bytes ends at the count and the next at END with `rest`; then a read
// times out. Returns the count of that last read.
ViUInt32 ExpectIdnAnswer(ViSession vi, const std::string& first, ViUInt32 part, const std::string& rest)
{
    ViUInt32 n = 0;
    unsigned char buf[64];
    viWrite(vi, reinterpret_cast<ViConstBuf>("*IDN?\n"), 6, &n);
    ViUInt16 stb = 0;
    EXPECT_EQ(viReadSTB(vi, &stb), VI_SUCCESS);
    EXPECT_EQ(stb, 0x10);
    viSetAttribute(vi, VI_ATTR_TERMCHAR, ',');
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 1);
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS_TERM_CHAR);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), first);
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 0);
    EXPECT_EQ(viRead(vi, buf, part, &n), VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), rest);
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_ERROR_TMO);
    return n;
}

class GpibBoard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        gpib::SetLibraryPath(FAKE_GPIB_PATH);
        ASSERT_NE(gpib::Load(), nullptr);
        lib = dlopen(FAKE_GPIB_PATH, RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(lib, nullptr);
        last_tmo = reinterpret_cast<int (*)()>(dlsym(lib, "fake_last_tmo"));
        calls = reinterpret_cast<const char* (*)()>(dlsym(lib, "fake_calls"));
        ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    }
    void TearDown() override
    {
        ResetProgramState();
        gpib::SetLibraryPath(nullptr);
        if (lib) dlclose(lib);
    }
    void* lib = nullptr;
    int (*last_tmo)() = nullptr;
    const char* (*calls)() = nullptr;
    ViSession rm = 0;
};

TEST_F(GpibBoard, OpenClearsAndAbsentDeviceIsNotFound)
{
    ViSession vi = 0;
    EXPECT_EQ(viOpen(rm, "GPIB::6::INSTR", 0, 0, &vi), VI_ERROR_RSRC_NFOUND);
    ASSERT_EQ(viOpen(rm, "GPIB0::5::INSTR", 0, 0, &vi), VI_SUCCESS);
    std::string c = calls();
    EXPECT_NE(c.find("clr "), std::string::npos);
    ViUInt16 intf = 0;
    viGetAttribute(vi, VI_ATTR_INTF_TYPE, &intf);
    EXPECT_EQ(intf, VI_INTF_GPIB);
    // Closing goes to local before taking the device off line.
    size_t before = std::strlen(calls());
    viClose(vi);
    EXPECT_EQ(std::string(calls()).substr(before), "loc onl0 ");
}

TEST_F(GpibBoard, ReadsEndOnEoiOrTermCharAndTimeOut)
{
    ViSession vi = 0;
    ASSERT_EQ(viOpen(rm, "GPIB::5", 0, 0, &vi), VI_SUCCESS);
    // ERR is looked at before END: a time-out is a time-out.
    EXPECT_EQ(ExpectIdnAnswer(vi, "FAKE,", 4, ",0001,1.5\n"), 0u);
    ViUInt32 n = 0;
    unsigned char buf[64];
    // A binary payload full of line feeds, with the term char off.
    viWrite(vi, reinterpret_cast<ViConstBuf>("BIN?\n"), 5, &n);
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS);
    EXPECT_EQ(n, 8u);
}

TEST_F(GpibBoard, TimeoutGoesToTheNextLongerCode)
{
    ViSession vi = 0;
    ASSERT_EQ(viOpen(rm, "GPIB::5", 0, 0, &vi), VI_SUCCESS);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 5000);
    EXPECT_EQ(last_tmo(), 13);  // T10s
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 1000);
    EXPECT_EQ(last_tmo(), 11);  // T1s
}

}  // namespace

namespace {

TEST(VendorVisa, GpibGoesThroughTheConfiguredLibrary)
{
    ResetProgramState();
    std::string ini = std::string(ORIVAN_BINARY_DIR) + "/vendor_ports.ini";
    {
        FILE* f = std::fopen(ini.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "visa = %s\n", FAKE_VISA_PATH);
        std::fclose(f);
    }
    ASSERT_EQ(visa::LoadPortsIni(ini), 0);
    std::remove(ini.c_str());
    ViSession rm = 0, vi = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_EQ(viOpen(rm, "GPIB::6", 0, 0, &vi), VI_ERROR_RSRC_NFOUND);
    ASSERT_EQ(viOpen(rm, "GPIB::5", 0, 0, &vi), VI_SUCCESS);
    void* h = dlopen(FAKE_VISA_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(h, nullptr);
    auto opened = reinterpret_cast<const char* (*)()>(dlsym(h, "fake_visa_opened"));
    auto tmo = reinterpret_cast<uint32_t (*)()>(dlsym(h, "fake_visa_tmo"));
    EXPECT_STREQ(opened(), "GPIB0::5::INSTR");
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 4321);
    EXPECT_EQ(tmo(), 4321u);

    ExpectIdnAnswer(vi, "VENDOR,", 3, "-A,0042,2.0\n");
    viClose(rm);
    dlclose(h);

    // A configured library that cannot be loaded.
    char a0[] = "orivan", a1[] = "--visa-library=/nonexistent/libvisa.so";
    char* argv[] = {a0, a1, nullptr};
    int argc = 2;
    std::string err;
    ASSERT_TRUE(visa::ParsePortOptions(&argc, argv, &err));
    EXPECT_EQ(argc, 1);
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_EQ(viOpen(rm, "GPIB::5", 0, 0, &vi), VI_ERROR_LIBRARY_NFOUND);
    ResetProgramState();
}

}  // namespace
