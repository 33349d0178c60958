// Pending-byte queue and the read logic shared by stream back-ends.
#include "platform/clock.h"
#include "platform/visa/backend.h"

namespace visa {

void ByteQueue::append(const uint8_t* data, size_t n, bool end_on_last)
{
    for (size_t i = 0; i < n; ++i) {
        uint16_t v = data[i];
        if (end_on_last && i + 1 == n) v |= 0x100;
        q_.push_back(v);
    }
}

size_t ByteQueue::take(uint8_t* buf, size_t n, int termchar, ReadEnd* end)
{
    size_t got = 0;
    *end = ReadEnd::None;
    while (got < n && !q_.empty()) {
        uint16_t v = q_.front();
        q_.pop_front();
        uint8_t b = uint8_t(v & 0xFF);
        buf[got++] = b;
        if (v & 0x100) { *end = ReadEnd::End; return got; }
        if (termchar >= 0 && b == termchar) { *end = ReadEnd::TermChar; return got; }
    }
    if (got == n && n > 0) *end = ReadEnd::MaxCount;
    return got;
}

ReadResult StreamBackend::read(uint8_t* buf, size_t n, const ReadRules& rules)
{
    ReadResult r;
    for (;;) {
        ReadEnd e;
        r.count += queue().take(buf + r.count, n - r.count, rules.termchar, &e);
        if (e != ReadEnd::None || n == 0) {
            r.end = n == 0 ? ReadEnd::MaxCount : e;
            return r;
        }
        if (Timer() >= rules.deadline) {
            r.status = VI_ERROR_TMO;
            r.end = ReadEnd::Timeout;
            return r;
        }
        size_t before = queue().size();
        ViStatus st = fetch(rules.deadline);
        if (st < 0) { r.status = st; return r; }
        ClockIoTick(queue().size() == before);
    }
}

ViStatus StreamBackend::bytes_available(uint32_t* n)
{
    // Only what has arrived; on the virtual clock a look costs a real
    // millisecond, so that a peer process keeps pace with polling loops.
    ViStatus st = fetch(IsVirtualClock() ? Timer() + 0.001 : 0);
    *n = uint32_t(queue().size());
    return st < 0 ? st : VI_SUCCESS;
}

ViStatus StreamBackend::discard_input()
{
    ViStatus st = fetch(0);
    queue().clear();
    return st < 0 ? st : VI_SUCCESS;
}

}  // namespace visa
