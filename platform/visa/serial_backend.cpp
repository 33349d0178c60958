// POSIX serial-line back-end (termios): ASRLn::INSTR.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "platform/visa/fdwait.h"
#include "platform/visa/ports.h"

namespace visa {
namespace {

bool speed_of(uint32_t baud, speed_t* s)
{
    switch (baud) {
    case 1200: *s = B1200; return true;
    case 2400: *s = B2400; return true;
    case 4800: *s = B4800; return true;
    case 9600: *s = B9600; return true;
    case 19200: *s = B19200; return true;
    case 38400: *s = B38400; return true;
    case 57600: *s = B57600; return true;
    case 115200: *s = B115200; return true;
    case 230400: *s = B230400; return true;
    default: return false;
    }
}

// One open serial port. Every session of this program on the port shares it
// (and the bytes received but not read), as VISA sessions on one resource do;
// other programs are kept off by an exclusive lock.
struct Port {
    explicit Port(int f) : fd(f) {}
    ~Port() { ::close(fd); }
    int fd;
    ByteQueue pending;
};

std::map<std::string, std::weak_ptr<Port>> open_ports;

class SerialBackend : public StreamBackend {
public:
    explicit SerialBackend(std::shared_ptr<Port> p) : port_(std::move(p)), fd_(port_->fd) {}

    int intf_type() const override { return VI_INTF_ASRL; }

    ViStatus set_timeout(uint32_t ms) override { tmo_ = ms; return VI_SUCCESS; }

    ViStatus write(const uint8_t* data, size_t n, bool, size_t* written) override
    {
        return WriteAll(fd_, data, n, tmo_, written);
    }

    ViStatus clear() override
    {
        tcflush(fd_, TCIOFLUSH);
        queue().clear();
        return VI_SUCCESS;
    }

    ViStatus read_stb(uint16_t* stb) override { *stb = 0; return VI_ERROR_NSUP_OPER; }

    ViStatus set_serial(const SerialSettings& s) override
    {
        termios t{};
        if (tcgetattr(fd_, &t) != 0) return VI_ERROR_IO;
        speed_t sp;
        if (!speed_of(s.baud, &sp)) return VI_ERROR_NSUP_ATTR_STATE;
        cfmakeraw(&t);
        cfsetispeed(&t, sp);
        cfsetospeed(&t, sp);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cflag &= ~CSIZE;
        t.c_cflag |= s.data_bits == 5 ? CS5 : s.data_bits == 6 ? CS6 : s.data_bits == 7 ? CS7 : CS8;
        t.c_cflag &= ~(PARENB | PARODD);
        if (s.parity == VI_ASRL_PAR_ODD) t.c_cflag |= PARENB | PARODD;
        if (s.parity == VI_ASRL_PAR_EVEN) t.c_cflag |= PARENB;
        if (s.stop_bits == VI_ASRL_STOP_TWO) t.c_cflag |= CSTOPB;
        else t.c_cflag &= ~CSTOPB;
        if (s.flow == VI_ASRL_FLOW_RTS_CTS) t.c_cflag |= CRTSCTS;
        else t.c_cflag &= ~CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF);
        if (s.flow == VI_ASRL_FLOW_XON_XOFF) t.c_iflag |= IXON | IXOFF;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        if (tcsetattr(fd_, TCSANOW, &t) != 0) return VI_ERROR_IO;
        return VI_SUCCESS;
    }

    ViStatus send_break(uint32_t ms) override
    {
        tcdrain(fd_);
        if (ioctl(fd_, TIOCSBRK) != 0) {
            // A pseudo-terminal has no break condition: nothing to send.
            return (errno == EINVAL || errno == ENOTTY) ? VI_SUCCESS : VI_ERROR_IO;
        }
        Delay(ms / 1000.0);
        ioctl(fd_, TIOCCBRK);
        return VI_SUCCESS;
    }

    ViStatus dtr_state(int* state) override
    {
        int lines = 0;
        if (ioctl(fd_, TIOCMGET, &lines) != 0) {
            // No modem lines (pseudo-terminal): DTR counts as the asserted
            // line the open raised.
            *state = VI_STATE_ASSERTED;
            return VI_SUCCESS;
        }
        *state = (lines & TIOCM_DTR) ? VI_STATE_ASSERTED : VI_STATE_UNASSERTED;
        return VI_SUCCESS;
    }

    ViStatus discard_input() override
    {
        tcflush(fd_, TCIFLUSH);
        return StreamBackend::discard_input();
    }

protected:
    ViStatus fetch(double deadline) override { return FetchInto(fd_, deadline, &queue(), false); }
    ByteQueue& queue() override { return port_->pending; }

private:
    std::shared_ptr<Port> port_;
    int fd_;
    uint32_t tmo_ = 2000;
};

}  // namespace

ViStatus OpenSerialBackend(const Resource& r, std::unique_ptr<RawBackend>* out)
{
    std::string path = SerialDevicePath(r.number);
    if (auto shared = open_ports[path].lock()) {
        *out = std::make_unique<SerialBackend>(shared);
        return VI_SUCCESS;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY ? VI_ERROR_RSRC_BUSY : VI_ERROR_RSRC_NFOUND;
    if (!isatty(fd)) {
        ::close(fd);
        return VI_ERROR_RSRC_NFOUND;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return VI_ERROR_RSRC_BUSY;  // another program holds the port
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &lines);
    auto port = std::make_shared<Port>(fd);
    open_ports[path] = port;
    *out = std::make_unique<SerialBackend>(port);
    return VI_SUCCESS;
}

}  // namespace visa
