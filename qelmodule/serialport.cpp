#include "qelmodule/serialport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace qel {

namespace {

speed_t SpeedCode(int rate)
{
    switch (rate) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
    }
}

} // namespace

std::string ResolvePortName(const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0)
        return {};
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > 9999)
            return {};
        n = n * 10 + (name[i] - '0');
    }
    if (n < 1)
        return {};
    const std::string var = "QEL_PORT_" + name;
    if (const char* mapped = std::getenv(var.c_str()); mapped && *mapped)
        return mapped;
    return "/dev/ttyS" + std::to_string(n - 1);
}

wxSerialPort::~wxSerialPort() { Close(); }

int wxSerialPort::Close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    return 0;
}

int wxSerialPort::Open(const char* device, const void* settings)
{
    if (fd_ >= 0)
        Close();
    if (settings) {
        const auto* s = static_cast<const SerialSettings*>(settings);
        baud_ = s->baud;
        parity_ = s->parity;
        databits_ = s->databits;
        stopbits_ = s->stopbits;
        rtscts_ = s->rtscts;
        xonxoff_ = s->xonxoff;
    }
    const std::string path = ResolvePortName(device ? device : "");
    if (path.empty())
        return -1;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    // Exclusive: one handle per port, whoever else tries.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return -1;
    }
    std::snprintf(devname_, sizeof devname_, "%s", device);

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return -2;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~CSIZE;
    switch (databits_) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    tio.c_cflag &= ~(PARENB | PARODD);
    if (parity_ == 1)
        tio.c_cflag |= PARENB | PARODD;
    else if (parity_ == 2)
        tio.c_cflag |= PARENB;
    if (stopbits_ == 2)
        tio.c_cflag |= CSTOPB;
    else
        tio.c_cflag &= ~CSTOPB;
    if (rtscts_)
        tio.c_cflag |= CRTSCTS;
    else
        tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (xonxoff_)
        tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = 17;
    tio.c_cc[VSTOP] = 19;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t sp = SpeedCode(baud_);
    if (sp == 0 || ::cfsetispeed(&tio, sp) != 0 || ::cfsetospeed(&tio, sp) != 0 ||
        ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::close(fd);
        return -2;
    }
    fd_ = fd;
    // DTR on; RTS on unless the handshake drives it. Ports without modem
    // lines (pseudo-terminals) refuse this, which is harmless.
    ModemBits(rtscts_ ? TIOCM_DTR : (TIOCM_DTR | TIOCM_RTS), 0);
    std::memset(errors_, 0, sizeof errors_);
    serial_icounter_struct ic{};
    if (::ioctl(fd_, TIOCGICOUNT, &ic) == 0) {
        seen_[0] = ic.brk;
        seen_[1] = ic.frame;
        seen_[2] = ic.overrun + ic.buf_overrun;
        seen_[3] = ic.parity;
    }
    return 0;
}

int wxSerialPort::Read(char* buf, std::size_t n)
{
    if (fd_ < 0)
        return -1;
    if (n == 0)
        return 0;
    pollfd p{fd_, POLLIN, 0};
    const int pr = ::poll(&p, 1, 0);
    if (pr < 0)
        return errno == EINTR ? 0 : -1;
    if (pr == 0)
        return 0;
    if (p.revents & (POLLERR | POLLNVAL))
        return -1;
    if (!(p.revents & POLLIN))
        return (p.revents & POLLHUP) ? -1 : 0;
    const ssize_t r = ::read(fd_, buf, n);
    if (r > 0)
        return static_cast<int>(r);
    if (r == 0)
        return -1;  // readable but end of file: the line hung up
    return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

int wxSerialPort::Write(const char* buf, std::size_t n)
{
    if (fd_ < 0)
        return -1;
    if (n == 0)
        return 0;
    const ssize_t r = ::write(fd_, buf, n);
    if (r >= 0)
        return static_cast<int>(r);
    return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

int wxSerialPort::ModemBits(int set_mask, int clear_mask)
{
    int rc = 0;
    if (set_mask && ::ioctl(fd_, TIOCMBIS, &set_mask) != 0)
        rc = -1;
    if (clear_mask && ::ioctl(fd_, TIOCMBIC, &clear_mask) != 0)
        rc = -1;
    return rc;
}

int wxSerialPort::ChangeLines(int mask)
{
    if (fd_ < 0)
        return -1;
    int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    ::ioctl(fd_, (mask & LINE_SET_DTR) ? TIOCMBIS : TIOCMBIC, &dtr);
    return ::ioctl(fd_, (mask & LINE_SET_RTS) ? TIOCMBIS : TIOCMBIC, &rts) == 0 ? 0 : -1;
}

int wxSerialPort::ClearLines(int mask)
{
    if (fd_ < 0)
        return -1;
    return ModemBits(0, ((mask & LINE_SET_DTR) ? TIOCM_DTR : 0) |
                            ((mask & LINE_SET_RTS) ? TIOCM_RTS : 0));
}

int wxSerialPort::SetLines(int mask)
{
    if (fd_ < 0)
        return -1;
    return ModemBits(((mask & LINE_SET_DTR) ? TIOCM_DTR : 0) |
                         ((mask & LINE_SET_RTS) ? TIOCM_RTS : 0), 0);
}

int wxSerialPort::GetLines(int* result)
{
    int bits = 0;
    if (fd_ < 0 || ::ioctl(fd_, TIOCMGET, &bits) != 0)
        return -1;
    int lines = 0;
    if (bits & TIOCM_CTS) lines |= LINE_CTS;
    if (bits & TIOCM_DSR) lines |= LINE_DSR;
    if (bits & TIOCM_RNG) lines |= LINE_RING;
    if (bits & TIOCM_CAR) lines |= LINE_DCD;
    if (result)
        *result = lines;
    return 0;
}

int wxSerialPort::DescribeSettings(char* text, std::size_t size)
{
    static const char letters[] = "NOEMS";
    const char p = (parity_ >= 0 && parity_ <= 4) ? letters[parity_] : '?';
    return std::snprintf(text, size, "%i%c%i %i %s", databits_, p, stopbits_,
                         static_cast<int>(baud_), devname_);
}

int wxSerialPort::SendBreak(int n)
{
    if (fd_ < 0)
        return -1;
    if (::ioctl(fd_, TIOCSBRK) != 0)
        return -1;
    Pause((n < 1 ? 1 : n) * 250);
    return ::ioctl(fd_, TIOCCBRK) == 0 ? 0 : -1;
}

int wxSerialPort::SetBaud(int rate)
{
    const speed_t sp = SpeedCode(rate);
    termios tio{};
    if (fd_ < 0 || sp == 0 || ::tcgetattr(fd_, &tio) != 0)
        return -1;
    if (::cfsetispeed(&tio, sp) != 0 || ::cfsetospeed(&tio, sp) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &tio) != 0)
        return -1;
    baud_ = rate;
    return 0;
}

// Takes the driver's line-error counts, adds what is new to the counters and
// leaves the new events per kind in fresh_. -1 when the port keeps no counts.
int wxSerialPort::LineErrors()
{
    serial_icounter_struct ic{};
    if (::ioctl(fd_, TIOCGICOUNT, &ic) != 0)
        return -1;
    const std::uint32_t now[4] = {static_cast<std::uint32_t>(ic.brk),
                                  static_cast<std::uint32_t>(ic.frame),
                                  static_cast<std::uint32_t>(ic.overrun + ic.buf_overrun),
                                  static_cast<std::uint32_t>(ic.parity)};
    for (int i = 0; i < 4; ++i) {
        fresh_[i] = now[i] - seen_[i];
        errors_[i] += fresh_[i];
        seen_[i] = now[i];
    }
    return 0;
}

int wxSerialPort::Ioctl(int code, void* value)
{
    if (fd_ < 0)
        return -1;
    switch (code) {
    case 0:
        return SendBreak(0);
    case 256:
        if (LineErrors() != 0)
            return -1;
        if (value)
            for (int i = 0; i < 4; ++i)
                static_cast<int*>(value)[i] = static_cast<int>(errors_[i]);
        return 0;
    case 257: case 258: case 259: case 260:
        if (LineErrors() != 0)
            return -1;
        return fresh_[code - 257] ? 1 : 0;
    case 261: {
        int waiting = 0;
        if (::ioctl(fd_, FIONREAD, &waiting) != 0)
            return -1;
        return waiting;
    }
    default:
        return -1;
    }
}

} // namespace qel
