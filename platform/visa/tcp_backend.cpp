// Raw TCP socket back-end: TCPIP::host::port::SOCKET.
//
// A socket instrument has no bus lines: the status byte is asked for with
// "*STB?" (answered in turn, after any answer not yet read), and a device
// clear discards the input received so far without reconnecting.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "platform/visa/fdwait.h"

namespace visa {
namespace {

class TcpBackend : public StreamBackend {
public:
    explicit TcpBackend(int fd) : fd_(fd) {}
    ~TcpBackend() override { ::close(fd_); }

    int intf_type() const override { return VI_INTF_TCPIP; }
    ViStatus set_timeout(uint32_t ms) override { tmo_ = ms; return VI_SUCCESS; }

    ViStatus write(const uint8_t* data, size_t n, bool, size_t* written) override
    {
        return WriteAll(fd_, data, n, tmo_, written);
    }

    ViStatus clear() override { return discard_input(); }

    ViStatus read_stb(uint16_t* stb) override
    {
        *stb = 0;
        static const uint8_t q[] = "*STB?\n";
        size_t w;
        ViStatus st = write(q, 6, true, &w);
        if (st < 0) return st;
        uint8_t line[64];
        ReadRules rules;
        rules.termchar = '\n';
        rules.deadline = tmo_ == VI_TMO_INFINITE ? 1e300 : Timer() + tmo_ / 1000.0;
        ReadResult r = read(line, sizeof line - 1, rules);
        if (r.status < 0) return r.status;
        if (r.end != ReadEnd::TermChar) return VI_ERROR_IO;
        int v = 0;
        const char* b = reinterpret_cast<const char*>(line);
        auto res = std::from_chars(b, b + r.count, v);
        if (res.ec != std::errc() || v < 0 || v > 255) return VI_ERROR_IO;
        *stb = uint16_t(v);
        return VI_SUCCESS;
    }

protected:
    ViStatus fetch(double deadline) override { return FetchInto(fd_, deadline, &pending_, true); }

private:
    int fd_;
    uint32_t tmo_ = 2000;
};

}  // namespace

ViStatus OpenTcpBackend(const Resource& r, uint32_t timeout_ms, std::unique_ptr<RawBackend>* out)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    std::string port = std::to_string(r.port);
    if (getaddrinfo(r.host.c_str(), port.c_str(), &hints, &res) != 0 || !res) return VI_ERROR_RSRC_NFOUND;
    ViStatus result = VI_ERROR_RSRC_NFOUND;
    for (addrinfo* a = res; a; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            // Connection set-up is bounded in real time: no instrument I/O yet.
            pollfd p{fd, POLLOUT, 0};
            rc = ::poll(&p, 1, int(timeout_ms > 10000 ? 10000 : timeout_ms)) == 1 ? 0 : -1;
            int err = 0;
            socklen_t len = sizeof err;
            if (rc == 0 && (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0)) rc = -1;
        }
        if (rc == 0) {
            int one = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            *out = std::make_unique<TcpBackend>(fd);
            result = VI_SUCCESS;
            break;
        }
        ::close(fd);
    }
    freeaddrinfo(res);
    return result;
}

}  // namespace visa
