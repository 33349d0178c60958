#include "qelmodule/instrument.h"

#include "qelmodule/gpib.h"
#include "qelmodule/serialport.h"

#include <cctype>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qel {

namespace {

const char* const kErrorTexts[] = {
    "No error",
    "There is no free handle available",
    "Unable to open interface",
    "The given handle is invalid",
    "The given baudrate is invalid",
    "The given protocol is invalid",
    "The given EOS is invalid",
    "The given GPIB address is invalid",
    "The Open function failed",
    "The handle for the Write function is invalid",
    "The Write function failed",
    "The handle for the Read function is invalid",
    "No memory for the dynamic readbuffer available",
    "The readfunction was ended by a timeout",
    "The handle for Close function is invalid",
    "Unable to close interface",
    "The handle for EraseBuffer function is invalid",
    "The handle for SetTimeout function is invalid",
    "The given timeout is invalid",
    "The given errornumber is invalid",
    "The debug level given is invalid",
    "Interface still open",
    "The handle for Reset function is invalid",
};
constexpr int kErrorCount = sizeof kErrorTexts / sizeof kErrorTexts[0];

struct HelpEntry { const char* word; const char* text; };
const HelpEntry kHelp[] = {
    {"", "\n\tThe following commands are available:\n\tClose\tDebug\tEraseBuffer\tGetError\tGetErrorString\tHelp\n\tKbhit\tOpen\tRead\t\tReset\t\tSetTimeout\tWrite\n\tUsing Help like qel.Help(\"open\")\n\tLeave the interpreter with \"ctrl - z\"\n\n"},
    {"CLOSE", "\n\tClose device function\n\tFunctioncall: qel.Close(handle)\n\n"},
    {"DEBUG", "\n\tFunction to switch debuglevel\n\tFunctioncall: qel.Debug(level)\n\n"},
    {"ERASEBUFFER", "\n\tClears the read buffer\n\tFunctioncall: qel.EraseBuffer(handle)\n\n"},
    {"GETERROR", "\n\tGives the last saved errornumber\n\tFunctioncall: qel.GetError()\n\n"},
    {"GETERRORSTRING", "\n\tGives a describtion of a given errornumber got with qel.GetError() \n\tFunctioncall: qel.GetErrorString(errornumber)\n\n"},
    {"HELP", "\n\tThis is the help function\n\tCall it with the command you want to know like\n\tqel.Help(\"Help\")\n\n"},
    {"KBHIT", "\n\tKbhit function like in C++ used to break a script by keypress \n\tFunctioncall: qel.Kbhit() if keypress a char!=\"\\0\" comes back\n\n"},
    {"OPEN", "\n\tOpen device function\n\tFunctioncall: DeviceVariable = qel.Open(\"port\", \"parameter\")\n\tParameter like \"baud=38400 eos=lf proto=none\"\n\tBack comes the for the other functions neccessary handle\n\tYou should save it in a variable!\n\n"},
    {"READ", "\n\tRead from device function\n\tFunctioncall: qel.Read(handle)\n\n"},
    {"RESET", "\n\tResets the device interface (only RS232)\n\tFunctioncall: qel.Reset(handle)\n\n"},
    {"SETTIMEOUT", "\n\tChanges the default Timeout (1s) to the given duration (ms)\n\tFunctioncall: qel.SetTimeout(handle, duration)\n\n"},
    {"WRITE", "\n\tWrites command to the device\n\tFunctioncall: qel.Write(handle, \"command\")\n\n"},
};

struct EosWord {
    const char* word;
    const char* send;
    std::size_t send_len;
    const char* recv;
    std::size_t recv_len;
    const char* send_name;
    const char* recv_name;
};
const EosWord kEosWords[] = {
    {"LF", "\n", 1, "\n", 1, "LF", "LF"},
    {"CR", "\r", 1, "\r", 1, "CR", "CR"},
    {"CR/LF", "\r\n", 2, "\r\n", 2, "CR/LF", "CR/LF"},
    {"TERMINAL", "\r", 1, "\r\n", 2, "CR", "CR/LF"},
    {"NONE", "", 0, "", 0, "NONE", "NONE"},
    {"NIL", "\n", 1, "", 0, "LF", "zero"},
};

const int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};

// True when s begins with word followed by a blank or the end.
bool Word(const std::string& s, const char* word)
{
    const std::size_t n = std::strlen(word);
    return s.compare(0, n, word) == 0 && (s.size() == n || s[n] == ' ');
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

using Clock = std::chrono::steady_clock;

} // namespace

Instrument::Instrument() = default;

Instrument::~Instrument()
{
    Msg(9, "The destructor closes the instance.\n");
    for (int h = 0; h < kHandles; ++h)
        if (devices_[h]) {
            Msg(9, "There is an open device: %i (%s)\n", h, devices_[h]->ClassName());
            Msg(9, "Object: %p\n", static_cast<void*>(devices_[h].get()));
        }
    // Open devices are left to the system: their ports close with the process.
    for (auto& d : devices_)
        d.release();
}

void Instrument::Out(const std::string& text)
{
    if (sink_)
        sink_(text.data(), text.size());
    else {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
}

void Instrument::Msg(int level, const char* format, ...)
{
    if (level > debug_)
        return;
    va_list ap;
    va_start(ap, format);
    va_list ap2;
    va_copy(ap2, ap);
    const int n = std::vsnprintf(nullptr, 0, format, ap);
    va_end(ap);
    if (n > 0) {
        std::string text(static_cast<std::size_t>(n) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, ap2);
        text.resize(static_cast<std::size_t>(n));
        Out(text);
    }
    va_end(ap2);
}

bool Instrument::Valid(int handle) const
{
    return handle >= 0 && handle < kHandles && devices_[handle] != nullptr;
}

void Instrument::SetError(int handle, int number)
{
    error_ = number;
    if (handle >= 0 && handle < kHandles)
        records_[handle].s_error = number;
}

// Doubles the record's buffer until it holds need bytes.
bool Instrument::Grow(DeviceRecord& r, std::size_t need)
{
    try {
        std::size_t size = r.s_size > 0 ? static_cast<std::size_t>(r.s_size) : 128;
        while (size < need) {
            if (size > 0x3FFFFFFF)
                return false;
            size *= 2;
        }
        if (r.buffer.size() < size)
            r.buffer.resize(size, 0);
        r.s_size = static_cast<std::int32_t>(size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool Instrument::ParseSerial(const std::string& device, const std::string& p, DeviceRecord& r)
{
    if (std::size_t at = p.find("BAUD="); at != std::string::npos) {
        const char* start = p.c_str() + at + 5;
        char* end = nullptr;
        const long baud = std::strtol(start, &end, 10);
        if (*end != ' ' && *end != '\0') {
            Msg(1, "The given baudrate %li is not valid", baud);
            SetError(-1, 4);
            return false;
        }
        bool listed = false;
        for (int rate : kBaudRates)
            listed = listed || rate == baud;
        if (!listed) {
            Msg(1, "The given baudrate %li is not valid\n", baud);
            SetError(-1, 4);
            return false;
        }
        r.s_baud = static_cast<std::int32_t>(baud);
        Msg(9, "Baudrate set at Openfunction: %li\n", baud);
    }
    if (std::size_t at = p.find("PROTO="); at != std::string::npos) {
        const std::string rest = p.substr(at + 6);
        if (Word(rest, "RTS/CTS")) {
            r.handshake = 1;
            Msg(9, "The RTS/CTS protocol is set!\n");
        } else if (Word(rest, "NONE")) {
            r.handshake = 0;
            Msg(9, "The RTS/CTS protocol not is set!\n");
        } else {
            Msg(1, "The protocol given %s is invalid!\n", rest.c_str());
            SetError(-1, 5);
            return false;
        }
    }
    if (std::size_t at = p.find("EOS="); at != std::string::npos) {
        const std::string rest = p.substr(at + 4);
        const EosWord* hit = nullptr;
        for (const EosWord& w : kEosWords)
            if (!hit && Word(rest, w.word))
                hit = &w;
        if (!hit) {
            Msg(1, "The given EOS: %s is not valid!\n", rest.c_str());
            SetError(-1, 6);
            return false;
        }
        r.send_eos.assign(hit->send, hit->send_len);
        r.recv_eos.assign(hit->recv, hit->recv_len);
        r.send_name = hit->send_name;
        r.recv_name = hit->recv_name;
    }
    if (p.find("QEL APPL") != std::string::npos) {
        r.s_baud = 38400;
        r.send_eos = r.recv_eos = "\n";
        r.send_name = r.recv_name = "LF";
        r.handshake = 1;
        Msg(9, "Device %s works with QEL Appl. settings\n", device.c_str());
    }
    if (r.s_baud == 0 || r.handshake == -1) {
        Msg(1, "Not enough parameters for device %s! \n", device.c_str());
        return false;
    }
    Msg(9,
        "\nThe parameters given to the Device are:\nBaudrate:\t\t %li\nProtocol (Rts/Cts):\t %i\n"
        "EOS for sending:\t %s\nEOS for receiving:\t %s\n\n",
        static_cast<long>(r.s_baud), static_cast<int>(r.handshake), r.send_name, r.recv_name);
    return true;
}

int Instrument::Open(const std::string& device, const std::string& parameter)
{
    int h = 0;
    while (h < kHandles && devices_[h])
        ++h;
    if (h == kHandles) {
        Msg(1, "Theres no free handle!");
        SetError(-1, 1);
        return -1;
    }
    DeviceRecord& r = records_[h];
    const std::string p = Upper(parameter);
    std::unique_ptr<wxIOBase> dev;
    int rc = -1;
    if (device.compare(0, 3, "COM") == 0) {
        if (!ParseSerial(device, p, r))
            return -1;
        SerialSettings s;
        s.baud = r.s_baud;
        s.rtscts = r.handshake == 1 ? 1 : 0;
        auto port = std::make_unique<wxSerialPort>();
        rc = port->Open(device.c_str(), &s);
        dev = std::move(port);
    } else if (device.compare(0, 4, "GPIB") == 0) {
        const std::size_t at = p.find("ADR=");
        if (at == std::string::npos)
            return -1;
        const long adr = std::strtol(p.c_str() + at + 4, nullptr, 10);
        if (adr < 0 || adr >= 32) {
            Msg(1, "The given address %li is not valid", adr);
            return -1;
        }
        r.gpib_adr = static_cast<std::int32_t>(adr);
        r.send_eos = r.recv_eos = "\n";
        r.send_name = r.recv_name = "LF";
        GpibSettings s;
        s.pad = r.gpib_adr;
        s.tmo = 12;
        auto gpib = std::make_unique<wxGPIB>();
        rc = gpib->Open("gpib1", &s);
        dev = std::move(gpib);
    }
    if (!dev || rc != 0) {
        // Unknown device kind, or the port or GPIB device would not open.
        Msg(1, "The qel.Open function totally failed! Try again!\n");
        SetError(-1, 8);
        return -1;
    }
    std::snprintf(r.s_devname, sizeof r.s_devname, "%s", device.c_str());
    try {
        r.buffer.assign(static_cast<std::size_t>(r.s_size > 0 ? r.s_size : 128), 0);
    } catch (const std::bad_alloc&) {
        SetError(-1, 12);
        return -1;
    }
    devices_[h] = std::move(dev);
    Msg(9, "Open %s successful!\n", device.c_str());
    SetError(-1, 0);
    return h;
}

int Instrument::Close(int handle)
{
    Msg(9, "Instrument::Close(%i)", handle);
    if (!Valid(handle)) {
        SetError(-1, 14);
        Msg(1, "Handle in qel.Close function invalid: %i\n", handle);
        return -1;
    }
    DeviceRecord& r = records_[handle];
    const int rc = devices_[handle]->Close();
    devices_[handle].reset();
    Msg(9,
        "Content dp->s_devname device %i: %s\nBuffersize at end of operation: %li\n"
        "Content dp->s_timeout device %s: %li\nContent dp->s_error device %s: %i\n",
        handle, r.s_devname, static_cast<long>(r.s_size), r.s_devname,
        static_cast<long>(r.s_timeout), r.s_devname, static_cast<int>(r.s_error));
    r.buffer.clear();
    r.buffer.shrink_to_fit();
    Msg(2, "Device %s with handle %i closed successfully!\n", r.s_devname, handle);
    if (rc < 0) {
        SetError(handle, 15);
        Msg(1, "The Close function failed!\n");
        return -1;
    }
    return 0;
}

int Instrument::Write(int handle, const char* data, std::size_t n)
{
    if (!Valid(handle)) {
        SetError(-1, 9);
        Msg(1, "Handle in qel.Write function invalid: %i\n", handle);
        return -1;
    }
    DeviceRecord& r = records_[handle];
    std::string hex;
    for (unsigned char c : r.send_eos) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", c);
        hex += two;
    }
    if (!hex.empty())
        hex += "hex";
    Msg(9, "Handle in qel.Write function:% i\nEOS write: %s\n", handle, hex.c_str());
    std::string out(data, n);
    out += r.send_eos;
    Flag flag{0};
    OneShotTimer timer(r.s_timeout, &flag);
    timer.Start();
    const std::size_t written = devices_[handle]->WriteAll(out.data(), out.size(), &flag, true);
    timer.Stop();
    Msg(9, "Write %i from %i bytes and eos(%i)\n", static_cast<int>(written),
        static_cast<int>(n), static_cast<int>(r.send_eos.size()));
    if (written < out.size()) {
        if (flag.load()) {
            Msg(9, "Timeout occurs on %s!\n", r.s_devname);
            SetError(handle, 13);
        } else {
            SetError(handle, 10);
        }
    }
    return static_cast<int>(written);
}

std::string Instrument::Read(int handle)
{
    if (!Valid(handle)) {
        SetError(-1, 11);
        Msg(1, "Handle in qel.Read function invalid: %i\n", handle);
        return {};
    }
    DeviceRecord& r = records_[handle];
    std::string got;
    const int rc = devices_[handle]->ReadEos(got, r.recv_eos, r.s_timeout);
    if (debug_ == 9)
        for (unsigned char c : got)
            Msg(9, "Received Byte: %x\n", c);
    if (Grow(r, got.size() + 1)) {
        std::memcpy(r.buffer.data(), got.data(), got.size());
        r.buffer[got.size()] = 0;
    } else {
        SetError(handle, 12);
        return {};
    }
    if (rc == 0) {
        Msg(9, "Timeout occurs on %s!\n", r.s_devname);
        SetError(handle, 13);
        return {};
    }
    if (rc < 0) {
        Msg(1, "Read error on %s!\n", r.s_devname);
        return {};
    }
    return std::string(got.c_str());
}

std::string Instrument::ReadQuota(int handle)
{
    if (!Valid(handle)) {
        SetError(-1, 11);
        Msg(1, "Handle in qel.Read function invalid: %i\n", handle);
        return {};
    }
    DeviceRecord& r = records_[handle];
    wxIOBase& dev = *devices_[handle];
    const std::string eos = r.recv_eos.empty() ? std::string(1, '\0') : r.recv_eos.substr(0, 2);
    bool terminators[256] = {};
    terminators[static_cast<unsigned char>(eos[0])] = true;
    if (eos.size() > 1)
        terminators[static_cast<unsigned char>(eos[1])] = true;
    std::size_t count = 0;
    if (!Grow(r, 1)) {
        SetError(handle, 12);
        return {};
    }
    Flag flag{0};
    OneShotTimer timer(r.s_timeout, &flag);
    timer.Start();
    bool quoted = false, failed = false, ended = false;
    auto store = [&](char c) {
        if (count + 1 >= r.buffer.size() && !Grow(r, r.buffer.size() * 2)) {
            SetError(handle, 12);
            Msg(2, "No memory available!");
            failed = true;
            return;
        }
        r.buffer[count++] = c;
    };
    while (!flag.load() && !failed && !ended) {
        char c;
        const int n = dev.Read(&c, 1);
        if (n < 0) {
            Msg(1, "Read error on %s!\n", r.s_devname);
            failed = true;
            break;
        }
        if (n == 0) {
            Pause(1);
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            store(c);
        } else if (!quoted && terminators[static_cast<unsigned char>(c)] && c == eos[0]) {
            if (eos.size() == 1) {
                ended = true;
                break;
            }
            char c2;
            if (dev.ReadExact(&c2, 1, &flag, true) != 1)
                break;
            if (c2 == eos[1]) {
                ended = true;
                break;
            }
            store(c);
            store(c2);
        } else {
            store(c);
        }
    }
    timer.Stop();
    if (count < r.buffer.size())
        r.buffer[count] = 0;
    if (failed)
        return {};
    if (!ended) {
        Msg(9, "Timeout occurs on %s!\n", r.s_devname);
        SetError(handle, 13);
        return {};
    }
    return std::string(r.buffer.data());
}

int Instrument::ReadBinary(int handle, std::string& data, std::string& reason)
{
    data.clear();
    if (!Valid(handle)) {
        SetError(-1, 11);
        Msg(1, "Handle in qel.Read function invalid: %i\n", handle);
        reason = kErrorTexts[11];
        return -1;
    }
    const int rc = ReadBinaryBlock(handle, data, reason);
    if (rc < 0)
        Msg(9, "%s", reason.c_str());
    else if (data.empty()) {
        reason = "Empty block\n";
        return BLOCK_EMPTY;
    }
    return rc;
}

// IEEE 488.2 definite-length block: '#', digit n, n length digits, data, eos.
int Instrument::ReadBinaryBlock(int handle, std::string& data, std::string& reason)
{
    DeviceRecord& r = records_[handle];
    wxIOBase& dev = *devices_[handle];
    Flag flag{0};
    OneShotTimer timer(r.s_timeout, &flag);
    timer.Start();
    char c = 0;
    if (dev.ReadExact(&c, 1, &flag, true) != 1 || c != '#') {
        reason = "Invalid start character (not #)!\n";
        return -2;
    }
    if (dev.ReadExact(&c, 1, &flag, true) != 1) {
        reason = "Length byte read error!\n";
        return -3;
    }
    if (c < '1' || c > '9') {
        reason = "Invalid length byte\n";
        return -4;
    }
    const std::size_t digits = static_cast<std::size_t>(c - '0');
    char field[9];
    if (dev.ReadExact(field, digits, &flag, true) != digits) {
        reason = "Length field read error!\n";
        return -5;
    }
    std::size_t length = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        if (field[i] < '0' || field[i] > '9') {
            reason = "Invalid length field\n";
            return -6;
        }
        length = length * 10 + static_cast<std::size_t>(field[i] - '0');
    }
    timer.Stop();

    // Data: byte by byte, giving up after 10 s without a byte.
    std::size_t got = 0;
    auto idle_since = Clock::now();
    while (got < length) {
        if (got + 1 >= r.buffer.size() && !Grow(r, r.buffer.size() * 2)) {
            reason = "Cannot allocate memory!\n";
            return -7;
        }
        const int n = dev.Read(r.buffer.data() + got, 1);
        if (n < 0)
            break;
        if (n > 0) {
            ++got;
            idle_since = Clock::now();
            continue;
        }
        if (Clock::now() - idle_since >= std::chrono::seconds(10))
            break;
        Pause(50);
    }
    if (got < length) {
        reason = "Read data binary timeout!\n";
        return -8;
    }
    const std::string eos = r.recv_eos.empty() ? std::string(1, '\0') : r.recv_eos.substr(0, 2);
    char tail[2];
    flag.store(0);
    timer.Start(r.s_timeout);
    if (dev.ReadExact(tail, eos.size(), &flag, true) != eos.size() ||
        std::memcmp(tail, eos.data(), eos.size()) != 0) {
        reason = "Invalid eos!\n";
        return -9;
    }
    data.assign(r.buffer.data(), got);
    return 0;
}

int Instrument::EraseBuffer(int handle)
{
    if (!Valid(handle)) {
        SetError(-1, 16);
        Msg(1, "Handle in qel.EraseBuffer function invalid: %i\n", handle);
        return -1;
    }
    // A device that never stops talking is not drained for longer than the
    // handle's time-out.
    const auto until = Clock::now() + std::chrono::milliseconds(records_[handle].s_timeout);
    char chunk[100];
    while (devices_[handle]->Read(chunk, sizeof chunk) > 0 && Clock::now() < until) {
    }
    return 0;
}

void Instrument::SetTimeout(int handle, long ms)
{
    if (ms < 1 || ms > 3600000) {
        SetError(-1, 18);
        Msg(1, "The given Timeout is invalid: %li\n", ms);
        return;
    }
    if (!Valid(handle)) {
        SetError(-1, 17);
        Msg(1, "Handle in qel.SetTimeout is invalid: %i\n", handle);
        return;
    }
    DeviceRecord& r = records_[handle];
    r.s_timeout = static_cast<std::int32_t>(ms);
    int value = static_cast<int>(ms);
    devices_[handle]->Ioctl(517, &value);
    Msg(9, "The timeout for device %s is set to %li!\n", r.s_devname, ms);
}

void Instrument::Reset(int handle)
{
    if (!Valid(handle)) {
        SetError(-1, 22);
        Msg(9, "Handle in qel.Reset function is invalid: %i\n", handle);
        return;
    }
    // Serial ports send a break, GPIB devices get a device clear.
    if (devices_[handle]->Ioctl(0, nullptr) >= 0)
        Msg(9, "The reset of device %s was successful!\n", records_[handle].s_devname);
}

bool Instrument::Ioctl(int handle, const std::string& command, int& result)
{
    result = 0;
    if (!Valid(handle)) {
        SetError(-1, 3);
        return true;
    }
    struct Code { const char* word; int code; };
    static const Code codes[] = {{"CTB_GPIB_GETRSP", 513}, {"CTB_GPIB_GETSTA", 514},
                                 {"CTB_GPIB_GETERR", 515}, {"CTB_GPIB_GETLINES", 516},
                                 {"CTB_GPIB_GTL", 518},    {"CTB_GPIB_REN", 519}};
    for (const Code& c : codes)
        if (std::strncmp(c.word, command.c_str(), command.size()) == 0 &&
            command.size() <= std::strlen(c.word)) {
            int value = 0;
            devices_[handle]->Ioctl(c.code, &value);
            result = value;
            return true;
        }
    return false;
}

int Instrument::GetError()
{
    const int e = error_;
    Msg(9, "The errornumber is: %i\n", e);
    error_ = 0;
    return e;
}

std::string Instrument::GetErrorString(int n)
{
    if (n >= 0 && n < kErrorCount)
        return kErrorTexts[n];
    SetError(-1, 19);
    Msg(1, "The given Erronumber invalid: %i\n", n);
    return {};
}

void Instrument::Debug(int level)
{
    if (level < 0 || level > 10) {
        SetError(-1, 20);
        Msg(9, "The debug level given is invalid: %i\n", level);
        return;
    }
    if (debug_ > 1 && level != debug_)
        Msg(9, "The Debug level has changed to: %i\n", level);
    debug_ = level;
}

void Instrument::Help(const std::string& command)
{
    const std::string word = Upper(command);
    for (const HelpEntry& e : kHelp)
        if (word == e.word) {
            Out(e.text);
            return;
        }
    Out("\nNo valid command! Try again\n\n");
}

// A key waiting on the console, read without echo; '\0' when none is waiting
// or standard input is not a terminal.
char Instrument::Kbhit()
{
    if (!::isatty(STDIN_FILENO))
        return '\0';
    termios saved{};
    if (::tcgetattr(STDIN_FILENO, &saved) != 0)
        return '\0';
    termios raw = saved;
    raw.c_lflag &= ~(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    char c = '\0';
    if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, 0) == 1 && (p.revents & POLLIN)) {
            if (::read(STDIN_FILENO, &c, 1) != 1)
                c = '\0';
        }
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
    return c;
}

} // namespace qel
