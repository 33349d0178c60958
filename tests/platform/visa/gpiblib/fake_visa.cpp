// A stand-in vendor VISA library: one instrument, "GPIB0::5::INSTR", that
// answers "*IDN?". Its functions carry the VISA names, so it is loaded and
// resolved exactly like a vendor's libvisa.so.
#include <cstdint>
#include <cstring>
#include <string>

namespace {
typedef uint32_t ViSession;
typedef int32_t ViStatus;
std::string out;
bool termchar_en = false;
unsigned char termchar = '\n';
uint32_t tmo = 2000;
std::string opened;
int stb_reads = 0;
constexpr ViStatus TERM = 0x3FFF0005, MAXC = 0x3FFF0006, TMO = int32_t(0xBFFF0015u), NFOUND = int32_t(0xBFFF0011u);
}  // namespace

extern "C" {

ViStatus viOpenDefaultRM(ViSession* rm) { *rm = 1; return 0; }

ViStatus viOpen(ViSession, const char* name, uint32_t, uint32_t, ViSession* vi)
{
    opened = name;
    if (opened != "GPIB0::5::INSTR") { *vi = 0; return NFOUND; }
    *vi = 2;
    return 0;
}

ViStatus viClose(uint32_t) { return 0; }

ViStatus viSetAttribute(uint32_t, uint32_t attr, uint64_t v)
{
    if (attr == 0x3FFF0038u) termchar_en = v != 0;
    if (attr == 0x3FFF0018u) termchar = (unsigned char)v;
    if (attr == 0x3FFF001Au) tmo = uint32_t(v);
    return 0;
}

ViStatus viWrite(ViSession, const unsigned char* buf, uint32_t n, uint32_t* ret)
{
    std::string m(reinterpret_cast<const char*>(buf), n);
    if (m.rfind("*IDN?", 0) == 0) out += "VENDOR,PAM-A,0042,2.0\n";
    *ret = n;
    return 0;
}

ViStatus viRead(ViSession, unsigned char* buf, uint32_t n, uint32_t* ret)
{
    *ret = 0;
    if (out.empty()) return TMO;
    while (*ret < n && !out.empty()) {
        unsigned char c = (unsigned char)out[0];
        out.erase(0, 1);
        buf[(*ret)++] = c;
        if (termchar_en && c == termchar) return TERM;
    }
    return out.empty() ? 0 : MAXC;
}

ViStatus viClear(ViSession) { out.clear(); return 0; }

ViStatus viReadSTB(ViSession, uint16_t* stb)
{
    ++stb_reads;
    *stb = out.empty() ? 0 : 0x10;
    return 0;
}

const char* fake_visa_opened(void) { return opened.c_str(); }
uint32_t fake_visa_tmo(void) { return tmo; }
}
