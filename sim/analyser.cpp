// The analyser device model: message assembly, execution, answers, status.
#include "sim/analyser.h"

#include "platform/clock.h"

namespace sim {

Identity DefaultIdentity(Kind k, int unit)
{
    Identity id;
    id.model = k == Kind::PamA ? "PAM-A" : k == Kind::PamB ? "PAM-B" : "PAM-C";
    std::string n = std::to_string(unit);
    id.serial = "SIM" + std::string(n.size() < 5 ? 5 - n.size() : 0, '0') + n;
    return id;
}

int ChannelCount(Kind k) { return k == Kind::PamC ? 3 : 1; }

Analyser::Analyser(Kind kind, Identity id)
    : identity(std::move(id)), kind_(kind), values_(std::make_shared<StaticValues>())
{
    RegisterCommonCommands(registry_);
}

void Analyser::reset()
{
    packed = false;
    continuous = false;
    running = false;
    mode = 1;
    for (int& d : digital) d = 0;
}

void Analyser::push_error(int code, const std::string& text)
{
    if (errors.size() >= 32) errors.pop_front();
    errors.emplace_back(code, text);
    if (code <= -100 && code > -200) esr |= 0x20;       // command error
    else if (code <= -200 && code > -300) esr |= 0x10;  // execution error
    else if (code <= -300 && code > -400) esr |= 0x08;  // device error
    else if (code <= -400 && code > -500) esr |= 0x04;  // query error
}

void Analyser::input(const uint8_t* data, size_t n, bool end)
{
    if (faults.echo) {
        pending_.push_back({Timer(), std::string(reinterpret_cast<const char*>(data), n)});
        pump();
    }
    for (size_t i = 0; i < n; ++i) {
        char c = char(data[i]);
        bool last = end && i + 1 == n;
        if (c == '\n') {
            note_received();
            execute(inbuf_);
            inbuf_.clear();
            continue;
        }
        if (c != '\r' && c != '\0') inbuf_ += c;  // NUL bytes (the serial clear's filler) are ignored
        if (last) {
            note_received();
            execute(inbuf_);
            inbuf_.clear();
        }
    }
}

void Analyser::note_received()
{
    if (received.size() >= kReceivedKept) received.erase(received.begin(), received.begin() + kReceivedKept / 2);
    received.push_back(inbuf_);
}

void Analyser::execute(const std::string& message)
{
    log.push_back(message);
    // Every answer of a message is formatted in the format in force when the
    // message began; FRMT takes effect with the next message.
    bool block = packed;
    std::vector<Command> cmds = ParseMessage(message);
    std::vector<std::string> parts;
    for (const Command& c : cmds) {
        if (c.key.empty()) {
            push_error(-102, "\"Syntax error\"");
            continue;
        }
        const Registry::Entry* e = registry_.find(c, language);
        if (!e) {
            push_error(-113, "\"Undefined header\"");
            continue;
        }
        Answer a = e->handler(*this, c);
        if (a.kind == Answer::Error) {
            push_error(a.error, a.text);
            continue;
        }
        if (!a.answers()) continue;
        parts.push_back(block ? RenderBlock(a) : RenderAscii(a));
    }
    if (parts.empty()) return;
    last_query_ = message;
    std::string bytes;
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k && !block) bytes += ';';
        bytes += parts[k];
    }
    bytes += '\n';
    if (faults.text_for_block && block) {
        // The answers as text, as an analyser that missed the format change sends them.
        bytes = "TEXT ANSWER 1.0\n";
    }
    emit(std::move(bytes), Timer() + faults.late);
}

void Analyser::emit(std::string bytes, double ready)
{
    if (faults.no_answer) return;
    if (faults.garbage) bytes = std::string("\x15\xFE\x7F?x\x01", 6) + "\n";
    if (!pending_.empty() && pending_.back().ready > ready) ready = pending_.back().ready;
    pending_.push_back({ready, std::move(bytes)});
    pump();
}

void Analyser::pump()
{
    double now = Timer();
    if (on_pump) on_pump(*this, now);
    while (!pending_.empty() && pending_.front().ready <= now) {
        const std::string& b = pending_.front().bytes;
        out_.append(reinterpret_cast<const uint8_t*>(b.data()), b.size(), end_marks_);
        pending_.pop_front();
    }
}

uint8_t Analyser::status_byte()
{
    pump();
    uint8_t stb = 0;
    if (!errors.empty()) stb |= 0x04;
    if (!out_.empty()) stb |= 0x10;
    if (esr & ese) stb |= 0x20;
    if (stb & sre & ~0x40) stb |= 0x40;
    return stb;
}

void Analyser::device_clear()
{
    inbuf_.clear();
    pending_.clear();
    out_.clear();
}

void Analyser::serial_break()
{
    device_clear();
    language = kScpi;
}

}  // namespace sim
