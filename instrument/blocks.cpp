// IEEE 488.2 definite-length block readers: "#", digit count n, n length
// digits, payload; blocks follow each other until a line feed. Headers are
// read byte by byte, each payload in one read; a header that is not
// well-formed or a block that does not fit is refused before anything is
// read into the destination.
#include <cstdio>
#include <cstring>
#include <string>

#include "instrument/link.h"
#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/fmt.h"

using namespace pamx;

char PAMX_diagnostic[128] = "";

namespace {

unsigned char scratch = 0;

using ReadFn = ViStatus (*)(ViSession, ViBuf, ViUInt32, ViUInt32*);

// Optional copy of every byte read (the "buffer.tst" echo).
struct Echo {
    std::FILE* f = nullptr;
    ~Echo() { if (f) std::fclose(f); }
    void put(const unsigned char* b, size_t n) { if (f && n) std::fwrite(b, 1, n, f); }
};

// Reads one byte; PAMX_BLOCK_SHORT_HEADER when none came.
ViStatus read_byte(ViSession vi, ReadFn rd, unsigned char* c, Echo* echo)
{
    ViUInt32 n = 0;
    ViStatus st = rd(vi, c, 1, &n);
    if (echo) echo->put(c, n);
    if (st < 0) return st;
    return n == 1 ? VI_SUCCESS : PAMX_BLOCK_SHORT_HEADER;
}

// Reads the digit count and the length field after a "#".
// PAMX_BLOCK_BAD_HEADER: digit count not 1..9 or length not decimal digits;
// PAMX_BLOCK_SHORT_HEADER: a short read.
ViStatus read_length(ViSession vi, ReadFn rd, long* length, Echo* echo)
{
    unsigned char d;
    ViStatus st = read_byte(vi, rd, &d, echo);
    if (st < 0) return st;
    if (d < '1' || d > '9') return PAMX_BLOCK_BAD_HEADER;
    unsigned char digits[9];
    ViUInt32 n = 0;
    ViUInt32 want = ViUInt32(d - '0');
    st = rd(vi, digits, want, &n);
    if (echo) echo->put(digits, n);
    if (st < 0) return st;
    if (n != want) return PAMX_BLOCK_SHORT_HEADER;
    long L = 0;
    for (ViUInt32 k = 0; k < n; ++k) {
        if (digits[k] < '0' || digits[k] > '9') return PAMX_BLOCK_BAD_HEADER;
        L = L * 10 + (digits[k] - '0');
    }
    *length = L;
    return VI_SUCCESS;
}

struct BlockRules {
    ReadFn rd = viRead;
    bool short_payload_is_error = false;  // PAMX_BLOCK_TRUNCATED when a payload read is short
    bool more_blocks_error = false;       // PAMX_BLOCK_OVERFLOW when full and another block follows
    size_t after_bad_mark = 0;            // bytes read (and echoed) after a non-"#" byte
    bool diagnostic = false;              // PAMX_diagnostic on a non-"#" byte
};

ViStatus read_blocks(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count, const BlockRules& r, Echo* echo)
{
    *count = 0;
    for (;;) {
        unsigned char c;
        ViStatus st = read_byte(vi, r.rd, &c, echo);
        if (st < 0) return st;
        if (c == '\n') return VI_SUCCESS;
        if (c != '#') {
            if (r.diagnostic) {
                int h, m, s;
                GetSystemTime(&h, &m, &s);
                char ch[2] = {char(c), 0};
                Fmt(PAMX_diagnostic, "%s<%i:%i:%i  Instead  of # the %s was read", h, m, s, ch);
            }
            if (r.after_bad_mark) {
                std::string rest(r.after_bad_mark, '\0');
                ViUInt32 n = 0;
                r.rd(vi, reinterpret_cast<ViBuf>(rest.data()), ViUInt32(rest.size()), &n);
                if (echo) echo->put(reinterpret_cast<const unsigned char*>(rest.data()), n);
            }
            return PAMX_BLOCK_BAD_HEADER;
        }
        if (r.more_blocks_error && *count >= maximum) return PAMX_BLOCK_OVERFLOW;
        long L = 0;
        st = read_length(vi, r.rd, &L, echo);
        if (st < 0) return st;
        if (L > long(maximum) - long(*count)) return PAMX_BLOCK_TOO_LARGE;
        ViUInt32 got = 0;
        if (L > 0) {
            st = r.rd(vi, dest + *count, ViUInt32(L), &got);
            if (echo) echo->put(dest + *count, got);
            *count += ViInt32(got);
            if (st < 0) return st;
            if (r.short_payload_is_error && got < ViUInt32(L)) return PAMX_BLOCK_TRUNCATED;
        }
    }
}

// Termination character off (and on a serial line the end of input) so that
// line feeds inside a payload do not end a read.
void binary_mode(ViSession vi, Link l)
{
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_FALSE);
    if (l == Link::Serial) viSetAttribute(vi, VI_ATTR_ASRL_END_IN, VI_ASRL_END_NONE);
}

// Answer state: GPIB status byte & MAV, or the waiting byte count.
ViStatus answer_state(ViSession vi, Link l, ViInt32* word, bool* available)
{
    ViStatus st = PAMX_CheckMAV(vi, 0, word);
    if (st < 0) return st;
    *available = l == Link::Gpib ? (*word & 0x10) != 0 : ByteCounted(l) ? *word != 0 : false;
    return VI_SUCCESS;
}

// Binary mode, the blocks, then the termination character back on a serial
// line (left off after an error).
ViStatus read_binary(ViSession vi, Link l, ViInt32 maximum, ViBuf dest, ViInt32* count, const BlockRules& r,
                     Echo* echo)
{
    binary_mode(vi, l);
    ViStatus st = read_blocks(vi, maximum, dest, count, r, echo);
    if (st < 0) return st;
    if (l == Link::Serial) viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
    return VI_SUCCESS;
}

}  // namespace

ViStatus PAMX_CreadInstrDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count)
{
    if (maximum > 0) dest[0] = 0;
    scratch = 0;
    *count = 0;
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 10000);
    Link l = LinkOf(vi);
    ViInt32 word = 0;
    bool available = false;
    if (answer_state(vi, l, &word, &available) < 0) return PAMX_BLOCK_POLL_FAILED;
    if (!available) return PAMX_NO_ANSWER;
    ViStatus st = read_binary(vi, l, maximum, dest, count, BlockRules{}, nullptr);
    if (st < 0) return st;
    return word;
}

ViStatus PAMX_readInstrDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count)
{
    *count = 0;
    Link l = LinkOf(vi);
    ViUInt32 tmo = SessionTimeout(vi);
    ViStatus waited_ms = 0;
    if (l == Link::Gpib) {
        if (PAMX_waitMAV(vi, tmo) < 0) return PAMX_BLOCK_POLL_FAILED;
    } else if (ByteCounted(l)) {
        double t0 = Timer();
        for (;;) {
            ViUInt32 n = 0;
            if (BytesWaiting(vi, &n) < 0) return PAMX_BLOCK_POLL_FAILED;
            if (n) break;
            if (Timer() - t0 >= tmo / 1000.0) return PAMX_BLOCK_TIMEOUT;
        }
        waited_ms = ViStatus((Timer() - t0) * 1000.0);
    }
    BlockRules r;
    r.short_payload_is_error = true;
    r.more_blocks_error = true;
    ViStatus st = read_binary(vi, l, maximum, dest, count, r, nullptr);
    if (st < 0) return st;
    return waited_ms;
}

ViStatus PAMX_SreadInstrDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count)
{
    if (maximum > 0) dest[0] = 0;
    *count = 0;
    Link l = LinkOf(vi);
    ViInt32 word = 0;
    if (ByteCounted(l)) {
        bool available = false;
        if (answer_state(vi, l, &word, &available) < 0) return PAMX_BLOCK_POLL_FAILED;
        if (!available) return PAMX_NO_ANSWER;
    }
    Echo echo;
    echo.f = std::fopen("buffer.tst", "ab");
    BlockRules r;
    r.short_payload_is_error = true;
    r.after_bad_mark = 2000;
    ViStatus st = read_binary(vi, l, maximum, dest, count, r, &echo);
    if (st < 0) return st;
    return word;
}

ViStatus PAMX_BufreadInstrDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count)
{
    if (maximum > 0) dest[0] = 0;
    *count = 0;
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 10000);
    Link l = LinkOf(vi);
    BlockRules r;
    r.rd = viBufRead;
    r.after_bad_mark = 1000;
    r.diagnostic = true;
    return read_binary(vi, l, maximum, dest, count, r, nullptr);
}

ViStatus PAMX_readBufferDataBinary(ViSession vi, ViInt32 maximum, ViBuf dest, ViInt32* count)
{
    *count = 0;
    Link l = LinkOf(vi);
    ViInt32 word = 0;
    bool available = false;
    if (answer_state(vi, l, &word, &available) < 0) return PAMX_BLOCK_POLL_FAILED;
    if (!available) return PAMX_NO_ANSWER;
    binary_mode(vi, l);
    ViUInt32 want = l == Link::Gpib ? 10000 : ViUInt32(word);
    if (maximum < 0) maximum = 0;
    if (want > ViUInt32(maximum)) want = ViUInt32(maximum);
    ViUInt32 n = 0;
    ViStatus st = viBufRead(vi, dest, want, &n);
    *count = ViInt32(n);
    return st;
}

ViInt32 ReadDataFromBuffer(const ViUInt8* text, ViInt32 length, ViBuf dest, ViInt32 maximum, ViInt32* count)
{
    *count = 0;
    ViInt32 pos = 0;
    while (pos < length) {
        unsigned char c = text[pos++];
        if (c == '\n') return pos;
        if (c != '#') return PAMX_BLOCK_BAD_HEADER;
        if (pos >= length) return PAMX_BLOCK_TRUNCATED;
        unsigned char d = text[pos++];
        if (d < '1' || d > '9') return PAMX_BLOCK_BAD_HEADER;
        int nd = d - '0';
        if (length - pos < nd) return PAMX_BLOCK_TRUNCATED;
        long L = 0;
        for (int k = 0; k < nd; ++k) {
            unsigned char x = text[pos++];
            if (x < '0' || x > '9') return PAMX_BLOCK_BAD_HEADER;
            L = L * 10 + (x - '0');
        }
        if (L > long(length - pos)) return PAMX_BLOCK_TRUNCATED;
        if (L > long(maximum) - long(*count)) return PAMX_BLOCK_TOO_LARGE;
        std::memcpy(dest + *count, text + pos, size_t(L));
        *count += ViInt32(L);
        pos += ViInt32(L);
    }
    return pos;
}
