#include "qelmodule/iobase.h"

#include <chrono>
#include <cstring>

namespace qel {

void Pause(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

OneShotTimer::OneShotTimer(int ms, Flag* flag, std::function<void()> callback)
    : ms_(ms), flag_(flag), callback_(std::move(callback))
{
}

OneShotTimer::~OneShotTimer() { Stop(); }

void OneShotTimer::Start(int ms)
{
    ms_ = ms;
    Start();
}

void OneShotTimer::Start()
{
    Stop();
    const int delay = ms_ <= 0 ? 1 : ms_;
    cancel_ = false;
    running_ = true;
    thread_ = std::thread([this, delay] {
        std::unique_lock lock(mutex_);
        const bool cancelled = cv_.wait_for(lock, std::chrono::milliseconds(delay),
                                            [this] { return cancel_; });
        if (cancelled)
            return;
        lock.unlock();
        if (callback_)
            callback_();
        if (flag_)
            flag_->store(1);
    });
}

void OneShotTimer::Stop()
{
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            cancel_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    running_ = false;
}

wxIOBase::~wxIOBase() = default;

int wxIOBase::Ioctl(int, void*) { return -1; }

std::size_t wxIOBase::ReadExact(char* buf, std::size_t n, const Flag* flag, bool pause)
{
    std::size_t got = 0;
    while (got < n) {
        if (flag && flag->load())
            break;
        const int r = Read(buf + got, n - got);
        if (r < 0)
            break;
        if (r == 0) {
            if (pause)
                Pause(1);
            continue;
        }
        got += static_cast<std::size_t>(r);
    }
    return got;
}

std::size_t wxIOBase::WriteAll(const char* buf, std::size_t n, const Flag* flag, bool pause)
{
    std::size_t done = 0;
    while (done < n) {
        if (flag && flag->load())
            break;
        const int r = Write(buf + done, n - done);
        if (r < 0)
            break;
        if (r == 0) {
            if (pause)
                Pause(1);
            continue;
        }
        done += static_cast<std::size_t>(r);
    }
    return done;
}

// Byte-wise read with a match position over the eos. Partly matched eos
// characters are dropped when the match breaks (CR LF eos: "A\rB\r\n" -> "AB").
int wxIOBase::ReadEos(std::string& result, const std::string& eos_in, int timeout_ms)
{
    const std::string eos = eos_in.empty() ? std::string(1, '\0') : eos_in;
    result.clear();
    result.reserve(512);
    Flag flag{0};
    OneShotTimer timer(timeout_ms, &flag);
    timer.Start();
    std::size_t match = 0;
    while (!flag.load()) {
        char c;
        const int r = Read(&c, 1);
        if (r < 0)
            return -1;
        if (r == 0) {
            Pause(10);
            continue;
        }
        if (c == eos[match]) {
            if (++match == eos.size())
                return 1;
            continue;
        }
        if (match > 0) {
            match = 0;
            if (c == eos[0]) {
                match = 1;
                if (match == eos.size())
                    return 1;
                continue;
            }
        }
        if (result.size() == result.capacity())
            result.reserve(result.capacity() + 512);
        result.push_back(c);
    }
    return 0;
}

} // namespace qel
