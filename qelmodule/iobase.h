// Device base of the qel module: the one-shot time-out timer, pauses and the
// reading/writing helpers shared by the serial and GPIB devices.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qel {

// Time-out flag: written once from 0 to 1 by the timer thread, polled by the
// reading loops on the caller's thread.
using Flag = std::atomic<int>;

// Waits ms milliseconds.
void Pause(int ms);

// One-shot timer: after its duration it calls the callback (if any) and sets
// the flag to 1. Start cancels a running timer first; Stop cancels it.
class OneShotTimer {
public:
    OneShotTimer(int ms, Flag* flag, std::function<void()> callback = {});
    ~OneShotTimer();
    OneShotTimer(const OneShotTimer&) = delete;
    OneShotTimer& operator=(const OneShotTimer&) = delete;

    void Start();
    void Start(int ms);
    void Stop();
    bool IsRunning() const { return running_; }

private:
    int ms_;
    Flag* flag_;
    std::function<void()> callback_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool cancel_ = false;
    bool running_ = false;
};

class wxIOBase {
public:
    virtual int Close() = 0;
    virtual int Open(const char* device, const void* settings = nullptr) = 0;
    virtual ~wxIOBase();
    virtual const char* ClassName() const { return "wxIOBase"; }
    virtual int Ioctl(int code, void* value);
    virtual bool IsOpen() const = 0;
    // Reads what is available, at most n bytes, without waiting: count, 0 or -1.
    virtual int Read(char* buf, std::size_t n) = 0;
    // Reads until eos (empty: a zero byte) or time-out. Result: 1 end found,
    // 0 time-out, -1 error; `result` holds the bytes without the eos.
    virtual int ReadEos(std::string& result, const std::string& eos, int timeout_ms);
    // Writes: count, 0 (nothing could be written yet) or -1.
    virtual int Write(const char* buf, std::size_t n) = 0;

    // Repeat Read/Write for the rest of n until done, a failure, or *flag set.
    // With pause, waits 1 ms after a step that moved nothing.
    std::size_t ReadExact(char* buf, std::size_t n, const Flag* flag, bool pause);
    std::size_t WriteAll(const char* buf, std::size_t n, const Flag* flag, bool pause);
};

} // namespace qel
