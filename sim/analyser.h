// A simulated power analyser (PAM-A, PAM-B, PAM-C) as a byte-fed device
// model: the controller's bytes go in, answer bytes come out (each answer's
// last byte carries END as a GPIB read would see it). One instance is one
// device: every session on its address shares its input and output queues.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/visa/backend.h"
#include "sim/registry.h"
#include "sim/values.h"

namespace sim {

enum class Kind { PamA, PamB, PamC };

struct Identity {
    std::string maker = "QEL KORVEL Darezorovi Systems GmbH";
    std::string model = "PAM-A";
    std::string serial = "SIM00001";
    std::string firmware = "2.510";
    std::string idn() const { return maker + "," + model + "," + serial + "," + firmware; }
};

// Default identification of a kind ("PAM-A" ... , serial "SIM" + digits).
Identity DefaultIdentity(Kind k, int unit = 1);
int ChannelCount(Kind k);

// Misbehaviour for tests.
struct Faults {
    bool no_answer = false;       // queries are executed, answers are dropped
    double late = 0;              // seconds an answer takes to appear
    bool text_for_block = false;  // packed format answered as text
    bool garbage = false;         // answers replaced by bytes of no format
    bool echo = false;            // every received byte is sent back at once
    bool disconnected = false;    // cable pulled: nothing arrives, nothing answers
    uint32_t counter_jump = 0;    // the next measuring cycle's COUNT? advances by 1 + this many
};

class Analyser {
public:
    explicit Analyser(Kind kind, Identity id);
    explicit Analyser(Kind kind = Kind::PamA) : Analyser(kind, DefaultIdentity(kind)) {}

    Kind kind() const { return kind_; }
    int channels() const { return ChannelCount(kind_); }

    // --- link side -------------------------------------------------------
    // Bytes from the controller; `end` marks the last byte of a GPIB write
    // (ends the message as a line feed does).
    void input(const uint8_t* data, size_t n, bool end);
    void input(const std::string& s, bool end = false)
    {
        input(reinterpret_cast<const uint8_t*>(s.data()), s.size(), end);
    }
    // Moves answers whose time has come (on the platform clock) to output().
    void pump();
    visa::ByteQueue& output() { return out_; }
    // An answer is queued or still unread.
    bool answer_waiting() const { return !pending_.empty() || !out_.empty(); }
    uint8_t status_byte();
    void device_clear();  // GPIB device clear: queues emptied, state kept
    void serial_break();  // a break on the serial line: clear, and SCPI again
    // Whether answers carry END on their last byte (GPIB) or not (serial).
    void set_end_marks(bool on) { end_marks_ = on; }

    // --- state -------------------------------------------------------------
    Identity identity;
    Faults faults;
    bool packed = false;         // FRMT PACKED in force
    int language = kScpi;        // kScpi or kShort
    bool continuous = false;     // CONT ON
    bool remote = true;          // false after :GTL
    bool running = false;        // START ... STOP
    int mode = 1;                // MODE 1 harmonics, 2 flicker
    int digital[9] = {};         // digital outputs 1..8
    uint8_t esr = 0, ese = 0, sre = 0;
    std::deque<std::pair<int, std::string>> errors;

    void push_error(int code, const std::string& text);
    // Resets to the power-on defaults of *RST.
    void reset();

    Registry& registry() { return registry_; }
    void set_values(std::shared_ptr<MeasuredValues> v) { values_ = std::move(v); }
    const MeasuredValues& values() const { return *values_; }

    // --- engine hooks ------------------------------------------------------
    // Executes one message (without its line feed) as if it had arrived.
    void execute(const std::string& message);
    // The last message that held queries (the cyclic query of continuous
    // measuring is answered again from it).
    const std::string& last_query_message() const { return last_query_; }
    // Queues answer bytes to appear at the given clock time (faults apply).
    void emit(std::string bytes, double ready);
    // Called by pump() with the clock time before answers are released.
    std::function<void(Analyser&, double)> on_pump;
    // Received bytes of every complete message, for tests and diagnostics.
    std::vector<std::string> log;
    // The messages as they arrived over the link (without the repetitions of
    // the cyclic query), at most the latest kReceivedKept.
    std::vector<std::string> received;
    static constexpr size_t kReceivedKept = 4096;

private:
    struct Pending {
        double ready;
        std::string bytes;
    };
    void note_received();
    Kind kind_;
    Registry registry_;
    std::shared_ptr<MeasuredValues> values_;
    std::string inbuf_;
    std::string last_query_;
    std::deque<Pending> pending_;
    visa::ByteQueue out_;
    bool end_marks_ = true;
};

// Registers the commands every analyser understands (IEEE 488.2 common
// commands, language, format, digital outputs, error queue, single values).
void RegisterCommonCommands(Registry& r);

}  // namespace sim
