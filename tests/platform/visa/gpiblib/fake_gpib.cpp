// A stand-in for linux-gpib's libgpib.so.0 with one instrument at primary
// address 5 that answers "*IDN?". Loaded by the VISA layer exactly like the
// real library, so the GPIB back-end is tested without a GPIB board.
#include <cstring>
#include <string>

namespace {
int sta = 0, err = 0;
long cnt = 0;
std::string out;       // answer waiting at the instrument
int eos = 0;           // ibeos setting
int eot = 1;
int pads[16];
std::string calls;     // "clr loc onl0 ..." in order
int last_tmo = -1;

constexpr int ERR = 0x8000, TIMO = 0x4000, END = 0x2000, CMPL = 0x100;
constexpr int ENOL = 2, EARG = 4, EABO = 6;

int fail(int e, int extra = 0)
{
    err = e;
    sta = ERR | extra;
    return sta;
}
int ok(int extra = 0)
{
    sta = CMPL | extra;
    return sta;
}
bool present(int ud) { return ud >= 0 && ud < 16 && pads[ud] == 5; }
}  // namespace

extern "C" {

int ibdev(int, int pad, int, int tmo, int send_eoi, int eos_)
{
    static int next = 0;
    int ud = next++ % 16;
    pads[ud] = pad;
    last_tmo = tmo;
    eot = send_eoi;
    eos = eos_;
    ok();
    return ud;
}

int ibwrt(int ud, const void* data, long count)
{
    cnt = 0;
    if (!present(ud)) return fail(ENOL);
    std::string msg(static_cast<const char*>(data), size_t(count));
    if (msg.rfind("*IDN?", 0) == 0) out += "FAKE,GPIB,0001,1.5\n";
    if (msg.rfind("BIN?", 0) == 0) out += std::string("#14\n\n\n\n\n", 8);
    cnt = count;
    return ok();
}

int ibrd(int ud, void* buf, long count)
{
    cnt = 0;
    if (!present(ud)) return fail(ENOL);
    if (out.empty()) return fail(EABO, TIMO);
    char* b = static_cast<char*>(buf);
    while (cnt < count && !out.empty()) {
        char c = out[0];
        out.erase(0, 1);
        b[cnt++] = c;
        if ((eos & 0x400) && (unsigned char)c == (eos & 0xFF)) return ok(END);
    }
    return ok(out.empty() ? END : 0);
}

int ibrsp(int ud, char* spr)
{
    if (!present(ud)) return fail(ENOL);
    *spr = out.empty() ? 0 : 0x10;
    return ok();
}

int ibclr(int ud)
{
    calls += "clr ";
    if (!present(ud)) return fail(ENOL);
    out.clear();
    return ok();
}

int ibloc(int) { calls += "loc "; return ok(); }
int ibonl(int, int v) { calls += v ? "onl1 " : "onl0 "; return ok(); }
int ibtmo(int, int t) { last_tmo = t; return t < 0 || t > 17 ? fail(EARG) : ok(); }
int ibeos(int, int e) { eos = e; return ok(); }
int ibeot(int, int e) { eot = e; return ok(); }
int ThreadIbsta(void) { return sta; }
int ThreadIberr(void) { return err; }
long ThreadIbcntl(void) { return cnt; }

// For the tests.
int fake_last_tmo(void) { return last_tmo; }
const char* fake_calls(void) { return calls.c_str(); }
}
