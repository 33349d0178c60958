// Descriptor servers of pam-sim.
#include "sim/serve.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace sim {

int OpenPty(std::string* slave_path, int* slave_fd)
{
    int m = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m < 0) return -1;
    if (grantpt(m) != 0 || unlockpt(m) != 0) { ::close(m); return -1; }
    const char* name = ptsname(m);
    if (!name) { ::close(m); return -1; }
    *slave_path = name;
    int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0) { ::close(m); return -1; }
    termios t{};
    tcgetattr(s, &t);
    cfmakeraw(&t);
    tcsetattr(s, TCSANOW, &t);
    *slave_fd = s;
    return m;
}

int ListenTcp(int port, int* bound_port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    *bound_port = ntohs(a.sin_port);
    return fd;
}

void ServeFd(Analyser& a, int fd, const volatile bool* stop)
{
    uint8_t buf[4096];
    while (!*stop) {
        pollfd p{fd, POLLIN, 0};
        int r = ::poll(&p, 1, 5);
        if (r > 0) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n == 0) return;
            if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EIO) return;
            if (n > 0) a.input(buf, size_t(n), false);
        }
        a.pump();
        while (!a.output().empty()) {
            visa::ReadEnd e;
            size_t got = a.output().take(buf, sizeof buf, -1, &e);
            size_t off = 0;
            while (off < got) {
                ssize_t w = ::write(fd, buf + off, got - off);
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) return;
                off += size_t(w);
            }
        }
    }
}

void ServeTcp(Analyser& a, int listen_fd, const volatile bool* stop)
{
    while (!*stop) {
        pollfd p{listen_fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        int c = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) continue;
        ServeFd(a, c, stop);
        ::close(c);
        a.device_clear();
    }
}

}  // namespace sim
