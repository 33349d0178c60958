// Bounded I/O on non-blocking descriptors.
#include "platform/visa/fdwait.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

#include "platform/clock.h"

namespace visa {
namespace {

// Real milliseconds to block in poll: short on the virtual clock, so that
// the clock moves on through ClockIoTick between looks.
int slice_ms(double deadline)
{
    double remaining = deadline - Timer();
    if (remaining <= 0) return 0;
    int cap = IsVirtualClock() ? 1 : 20;
    double ms = std::ceil(remaining * 1000.0);
    return ms < cap ? int(ms) : cap;
}

}  // namespace

ViStatus WriteAll(int fd, const uint8_t* data, size_t n, uint32_t tmo_ms, size_t* written)
{
    *written = 0;
    double deadline = tmo_ms == VI_TMO_INFINITE ? 1e300 : Timer() + tmo_ms / 1000.0;
    while (*written < n) {
        ssize_t w = ::write(fd, data + *written, n - *written);
        if (w > 0) {
            *written += size_t(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return (errno == EPIPE || errno == ECONNRESET) ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
        if (Timer() >= deadline) return VI_ERROR_TMO;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, slice_ms(deadline));
        ClockIoTick(true);
    }
    return VI_SUCCESS;
}

ViStatus FetchInto(int fd, double deadline, ByteQueue* q, bool socket)
{
    pollfd p{fd, POLLIN, 0};
    int r = ::poll(&p, 1, slice_ms(deadline));
    if (r <= 0) return VI_SUCCESS;
    uint8_t buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            q->append(buf, size_t(n), false);
            if (size_t(n) < sizeof buf) return VI_SUCCESS;
            continue;
        }
        if (n == 0) return socket ? VI_ERROR_CONN_LOST : VI_SUCCESS;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return VI_SUCCESS;
        return socket ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
    }
}

}  // namespace visa
