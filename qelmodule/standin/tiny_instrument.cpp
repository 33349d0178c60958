// The stand-in's own small instrument, chosen with
// QEL_STANDIN_INSTRUMENT=tiny (devices.cpp). Commands, one per message (LF or
// EOI ends it; headers without regard to case):
//   *IDN?        -> "QEL,GPIB STAND-IN,<pad>,1.0"
//   ECHO <text>  -> "<text>"
//   BLOCK? <n>   -> "#<d><n>" + n bytes 0,1,2,... + LF (definite-length block)
//   RAW <hex>    -> exactly the given bytes (no LF added)
//   DELAY <ms>   -> later reads take ms to complete
//   FAIL         -> the next read fails (EABO)
//   SRQ          -> requests service until the next serial poll
//   *CLS, *RST   -> no reply
// Replies end with LF; every reply is one message with END on its last byte.
#include "qelmodule/standin/bus_device.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

namespace standin {

namespace {

class TinyInstrument : public BusDevice {
public:
    explicit TinyInstrument(int pad) : pad_(pad) {}

    void Receive(const char* data, std::size_t n, bool end) override
    {
        for (std::size_t i = 0; i < n; ++i) {
            if (data[i] == '\n') {
                Execute();
                continue;
            }
            input_.push_back(data[i]);
        }
        if (end && !input_.empty())
            Execute();
    }

    std::size_t Send(char* buf, std::size_t n, bool* end) override
    {
        *end = false;
        if (output_.empty())
            return 0;
        std::string& msg = output_.front();
        const std::size_t k = std::min(n, msg.size());
        std::memcpy(buf, msg.data(), k);
        msg.erase(0, k);
        if (msg.empty()) {
            output_.pop_front();
            *end = true;
        }
        return k;
    }

    std::uint8_t SerialPoll() override
    {
        std::uint8_t stb = output_.empty() ? 0 : 0x10;
        if (srq_)
            stb |= 0x40;
        srq_ = false;
        return stb;
    }

    void Clear() override
    {
        input_.clear();
        output_.clear();
        ++clears_;
    }

    void GoToLocal() override { ++locals_; }
    int ReadDelayMs() const override { return delay_ms_; }

    bool TakeReadFailure() override
    {
        const bool f = fail_next_;
        fail_next_ = false;
        return f;
    }

    std::size_t Describe(char* text, std::size_t size) const override
    {
        const int n = std::snprintf(text, size, "pad=%i clears=%i locals=%i commands=%i",
                                    pad_, clears_, locals_, commands_);
        return n < 0 ? 0 : static_cast<std::size_t>(n);
    }

private:
    void Execute()
    {
        std::string line;
        line.swap(input_);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        ++commands_;
        const std::size_t sp = line.find(' ');
        std::string head = line.substr(0, sp);
        const std::string arg = sp == std::string::npos ? std::string() : line.substr(sp + 1);
        for (char& c : head)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (head == "*IDN?") {
            output_.push_back("QEL,GPIB STAND-IN," + std::to_string(pad_) + ",1.0\n");
        } else if (head == "ECHO") {
            output_.push_back(arg + "\n");
        } else if (head == "BLOCK?") {
            const long n = std::clamp(std::strtol(arg.c_str(), nullptr, 10), 0L, 1000000L);
            const std::string len = std::to_string(n);
            std::string block = "#" + std::to_string(len.size()) + len;
            for (long i = 0; i < n; ++i)
                block.push_back(static_cast<char>(i & 0xFF));
            output_.push_back(block + "\n");
        } else if (head == "RAW") {
            std::string bytes;
            for (std::size_t i = 0; i + 1 < arg.size(); i += 2)
                bytes.push_back(static_cast<char>(std::strtol(arg.substr(i, 2).c_str(), nullptr, 16)));
            if (!bytes.empty())
                output_.push_back(bytes);
        } else if (head == "DELAY") {
            delay_ms_ = std::max(0, std::atoi(arg.c_str()));
        } else if (head == "FAIL") {
            fail_next_ = true;
        } else if (head == "SRQ") {
            srq_ = true;
        }
    }

    int pad_;
    std::string input_;
    std::deque<std::string> output_;
    int delay_ms_ = 0;
    bool fail_next_ = false;
    bool srq_ = false;
    int clears_ = 0, locals_ = 0, commands_ = 0;
};

} // namespace

std::unique_ptr<BusDevice> MakeTinyInstrument(int pad)
{
    return std::make_unique<TinyInstrument>(pad);
}

} // namespace standin
