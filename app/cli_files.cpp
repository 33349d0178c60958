// orivan-cli commands over stored measurements.
#include "app/cli_files.h"

#include <cmath>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "app/cli.h"
#include "state/records.h"
#include "files/reevaluation.h"
#include "files/export.h"
#include "files/load.h"
#include "files/logfile.h"
#include "platform/lowfile.h"
#include "platform/ui/headless.h"
#include "state/para.h"
#include "state/panels.h"
#include "state/para_text.h"
#include "state/framelist.h"
#include "evaluation/verdicts.h"
#include "evaluation/flicker_periods.h"

namespace {

// ---- JSON output ------------------------------------------------------------

// Length of the well-formed UTF-8 sequence of two to four bytes at p, else 0.
int Utf8Length(const unsigned char* p)
{
    auto cont = [&](int k, unsigned lo = 0x80, unsigned hi = 0xBF) { return p[k] >= lo && p[k] <= hi; };
    const unsigned c = p[0];
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const bool second = c == 0xE0 ? cont(1, 0xA0) : c == 0xED ? cont(1, 0x80, 0x9F) : cont(1);
        return second && cont(2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const bool second = c == 0xF0 ? cont(1, 0x90) : c == 0xF4 ? cont(1, 0x80, 0x8F) : cont(1);
        return second && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

// Texts are copied as UTF-8 where they are well-formed UTF-8 (paths, texts of
// this program); any other byte above 0x7E is taken as Latin-1 (texts of old
// files) and escaped.
std::string JsonString(const char* s)
{
    std::string o = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s ? s : ""); *p; ++p) {
        if (const int n = Utf8Length(p)) {
            o.append(reinterpret_cast<const char*>(p), size_t(n));
            p += n - 1;
            continue;
        }
        switch (*p) {
        case '"': o += "\\\""; break;
        case '\\': o += "\\\\"; break;
        case '\n': o += "\\n"; break;
        case '\t': o += "\\t"; break;
        case '\r': o += "\\r"; break;
        default:
            if (*p < 0x20 || *p >= 0x7F) {
                char b[8];
                std::snprintf(b, sizeof b, "\\u%04x", unsigned(*p));
                o += b;
            } else {
                o += char(*p);
            }
        }
    }
    return o + "\"";
}

template <size_t N>
std::string JsonField(const char (&field)[N])
{
    char t[N + 1];
    std::memcpy(t, field, N);
    t[N] = 0;
    return JsonString(t);
}

// Shortest text that reads back as the same float; null for NaN and Inf.
std::string Num(double v)
{
    if (!std::isfinite(v)) return "null";
    char b[64];
    auto r = std::to_chars(b, b + sizeof b, float(v));
    return std::string(b, r.ptr);
}
std::string Num(int64_t v) { return std::to_string(v); }
std::string Num(int32_t v) { return std::to_string(v); }
std::string Bool(bool b) { return b ? "true" : "false"; }

// ---- common ------------------------------------------------------------------

const char* FormatName(int format)
{
    switch (format) {
    case LOG_INTERRUPTED: return "interrupted";
    case LOG_OLD: return "old";
    default: return "current";
    }
}
const char* KindName(int32_t kind) { return kind == 1 ? "flicker" : "harmonics"; }

bool HasFlag(std::vector<std::string>& args, const char* flag)
{
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i] == flag) {
            args.erase(args.begin() + long(i));
            return true;
        }
    return false;
}

// Value of "--name VALUE"; false when absent, *bad when the value is missing.
bool TakeOption(std::vector<std::string>& args, const char* name, std::string* value, bool* bad)
{
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i] == name) {
            if (i + 1 >= args.size()) {
                *bad = true;
                return false;
            }
            *value = args[i + 1];
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
            return true;
        }
    return false;
}

int Usage(const char* text)
{
    std::fprintf(stderr, "usage: orivan-cli %s\n", text);
    return CLI_USAGE;
}

std::vector<std::string> Args(int argc, char** argv)
{
    std::vector<std::string> a;
    for (int i = 0; i < argc; ++i) a.push_back(argv[i]);
    return a;
}

// Recognises the file; prints why it is refused. True when readable.
bool Inspect(const char* path, LogLayout* L)
{
    if (!FileExists(path, nullptr)) {
        std::fprintf(stderr, "orivan-cli: %s: File does not exist!\n", path);
        return false;
    }
    int fd = -1;
    if (LogOpenRead(path, &fd, L) < 0) {
        std::fprintf(stderr, "orivan-cli: %s", LogErrorText());
        if (*LogErrorReason()) std::fprintf(stderr, " (%s)", LogErrorReason());
        std::fputc('\n', stderr);
        return false;
    }
    LogClose(fd);
    return true;
}

// Loads the file headless; false (with a message) when refused.
bool Load(const char* path)
{
    ui::SetHeadlessMode(ui::HeadlessMode::Batch);
    LogLayout L;
    if (!Inspect(path, &L)) return false;
    if (load_measurement(path, -1, -1) < 0) {
        std::fprintf(stderr, "orivan-cli: %s\n", LastLoadReport().message);
        return false;
    }
    return true;
}

}  // namespace

// ---- info -----------------------------------------------------------------------

int CliInfo(int argc, char** argv, std::FILE* out)
{
    auto a = Args(argc, argv);
    const bool json = HasFlag(a, "--json");
    if (a.size() != 1) return Usage("info FILE [--json]");
    const char* path = a[0].c_str();
    LogLayout L;
    if (!Inspect(path, &L)) return CLI_FAILED;
    Para p = L.para;
    TerminateTexts(p);
    const bool interrupted = L.format == LOG_INTERRUPTED;
    if (json) {
        std::string o = "{";
        o += "\"file\":" + JsonString(path);
        o += ",\"format\":" + JsonString(FormatName(L.format));
        o += ",\"interrupted\":" + Bool(interrupted);
        o += ",\"test_kind\":" + JsonString(KindName(L.test_kind));
        o += ",\"phases\":" + Num(L.phases);
        o += ",\"size\":" + Num(int64_t(L.size));
        o += ",\"count\":" + Num(L.count);
        o += ",\"record_size\":" + Num(L.record_size);
        o += ",\"sets\":" + Num(L.sets);
        o += ",\"frames\":" + Num(L.frames);
        o += ",\"results\":" + Num(L.results);
        o += ",\"settings\":{";
        o += "\"sw_version\":" + JsonField(p.sw_version);
        o += ",\"log_file\":" + JsonField(p.log_file);
        o += ",\"h_standard\":" + Num(p.h_standard);
        o += ",\"h_standard_text\":" + JsonString(HarmonicStandardText(p.h_standard));
        o += ",\"h_class\":" + Num(p.h_class);
        o += ",\"h_class_text\":" + JsonString(ClassText(p.h_class));
        o += ",\"h_mode\":" + Num(p.h_mode);
        o += ",\"h_time\":" + Num(int64_t(p.h_hours) * 3600 + int64_t(p.h_minutes) * 60 + p.h_seconds);
        o += ",\"fl_standard\":" + JsonField(p.fl_standard);
        o += ",\"fl_periods\":" + Num(p.fl_periods);
        o += ",\"fl_period_seconds\":" + Num(int64_t(p.fl_minutes) * 60 + p.fl_seconds);
        o += ",\"switching\":" + Num(p.switching);
        o += ",\"dmax_limit\":" + Num(double(p.dmax_limit));
        o += ",\"frame_window\":" + Num(p.frame_window);
        o += ",\"first_frame\":" + Num(p.first_frame);
        o += ",\"last_frame\":" + Num(p.last_frame);
        o += ",\"device\":" + JsonField(p.test_data[3]);
        o += ",\"serial\":" + JsonField(p.test_data[6]);
        o += "}}\n";
        std::fputs(o.c_str(), out);
        return CLI_OK;
    }
    std::fprintf(out, "File          %s\n", path);
    std::fprintf(out, "Layout        %s%s\n", FormatName(L.format),
                 interrupted ? " (the run was interrupted: no final results)" : "");
    std::fprintf(out, "Test          %s, %d phase%s\n", KindName(L.test_kind), L.phases, L.phases == 1 ? "" : "s");
    std::fprintf(out, "Length        %lld bytes, count %d, %d record sets of %d bytes\n", (long long)L.size, L.count,
                 L.sets, L.record_size);
    std::fprintf(out, "Frames        %d\n", L.frames);
    if (L.test_kind == 0) std::fprintf(out, "Results       %d result record%s\n", L.results, L.results == 1 ? "" : "s");
    std::fprintf(out, "Version       %s\n", p.sw_version);
    if (L.test_kind == 0) {
        std::fprintf(out, "Standard      %s, class %s, test time %lld s\n", HarmonicStandardText(p.h_standard),
                     ClassText(p.h_class), (long long)p.h_hours * 3600 + (long long)p.h_minutes * 60 + p.h_seconds);
    } else {
        std::fprintf(out, "Standard      %s, %d periods of %lld s%s, dmax limit %s %%\n", p.fl_standard, p.fl_periods,
                     (long long)p.fl_minutes * 60 + p.fl_seconds, p.switching ? ", switching procedure" : "",
                     Num(double(p.dmax_limit)).c_str());
    }
    if (p.frame_window) std::fprintf(out, "Cut           frames from %d till %d\n", p.first_frame, p.last_frame);
    if (p.test_data[3][0]) std::fprintf(out, "Device        %s\n", p.test_data[3]);
    return CLI_OK;
}

// ---- frames -----------------------------------------------------------------------

int CliFrames(int argc, char** argv, std::FILE* out)
{
    auto a = Args(argc, argv);
    const char* usage = "frames FILE [--phase N] [--json]";
    const bool json = HasFlag(a, "--json");
    bool bad = false;
    std::string ph;
    int32_t phase = 1;
    if (TakeOption(a, "--phase", &ph, &bad) && (!ParseInt(ph, &phase) || phase < 1 || phase > 3)) bad = true;
    if (bad || a.size() != 1) return Usage(usage);
    if (!Load(a[0].c_str())) return CLI_FAILED;
    if (phase > para.phases) {
        std::fprintf(stderr, "orivan-cli: the file holds %d phase%s\n", para.phases, para.phases == 1 ? "" : "s");
        return CLI_FAILED;
    }
    const int p = phase - 1;
    const int n = ListNumItems(listbuf[p]);
    const bool flk = para.test_kind == 1;
    std::string o;
    if (json) {
        o = "{\"file\":" + JsonString(a[0].c_str()) + ",\"test_kind\":" + JsonString(KindName(para.test_kind)) +
            ",\"phase\":" + Num(phase) + ",\"frames\":[";
    } else if (flk) {
        o = "frame\tcount\tFLTR\tFSTR\tFSTA\tU/V\tI/A\tP/W\tPst\tPlt\tdc/%\tdmax/%\tFLRE\n";
    } else {
        o = "frame\tcount\tFLTR\tU/V\tI/A\tP/W\tPF\tTHD(I)/%\tHIST\n";
    }
    for (int k = 1; k <= n; ++k) {
        const unsigned char* rec = ListGetPtrToItem(listbuf[p], k);
        if (flk) {
            FlkFrame f;
            std::memcpy(&f, rec, sizeof f);
            if (json) {
                o += std::string(k > 1 ? "," : "") + "{\"frame\":" + Num(k - 1) + ",\"count\":" + Num(double(f.count)) +
                     ",\"fltr\":" + Num(f.fltr) + ",\"fstr\":" + Num(f.fstr) + ",\"fsta\":" + Num(f.fsta) +
                     ",\"u\":" + Num(double(f.utrms)) + ",\"i\":" + Num(double(f.itrms)) + ",\"p\":" + Num(double(f.p)) +
                     ",\"pst\":" + Num(double(f.flst)) + ",\"plt\":" + Num(double(f.fllt)) +
                     ",\"dc\":" + Num(double(f.fldc)) + ",\"dmax\":" + Num(double(f.fldx)) + ",\"flre\":" + Num(f.flre) + "}";
            } else {
                o += Num(k - 1) + "\t" + Num(double(f.count)) + "\t" + Num(f.fltr) + "\t" + Num(f.fstr) + "\t" +
                     Num(f.fsta) + "\t" + Num(double(f.utrms)) + "\t" + Num(double(f.itrms)) + "\t" + Num(double(f.p)) +
                     "\t" + Num(double(f.flst)) + "\t" + Num(double(f.fllt)) + "\t" + Num(double(f.fldc)) + "\t" +
                     Num(double(f.fldx)) + "\t" + Num(f.flre) + "\n";
            }
        } else {
            HarmFrame f;
            std::memcpy(&f, rec, sizeof f);
            if (json) {
                o += std::string(k > 1 ? "," : "") + "{\"frame\":" + Num(k - 1) + ",\"count\":" + Num(double(f.count)) +
                     ",\"fltr\":" + Num(f.fltr) + ",\"u\":" + Num(double(f.utrms)) + ",\"i\":" + Num(double(f.itrms)) +
                     ",\"p\":" + Num(double(f.p)) + ",\"pf\":" + Num(double(f.pf)) + ",\"thd_i\":" + Num(double(f.hihd)) +
                     ",\"hist\":" + Num(f.hist) + ",\"current\":[";
                for (int h = 0; h < ORDERS; ++h) o += (h ? "," : "") + Num(double(f.hiam[h]));
                o += "],\"limit\":[";
                for (int h = 0; h < ORDERS; ++h) o += (h ? "," : "") + Num(double(f.limit[h]));
                o += "]}";
            } else {
                o += Num(k - 1) + "\t" + Num(double(f.count)) + "\t" + Num(f.fltr) + "\t" + Num(double(f.utrms)) + "\t" +
                     Num(double(f.itrms)) + "\t" + Num(double(f.p)) + "\t" + Num(double(f.pf)) + "\t" +
                     Num(double(f.hihd)) + "\t" + Num(f.hist) + "\n";
            }
        }
        if (o.size() > (1u << 16)) {
            std::fputs(o.c_str(), out);
            o.clear();
        }
    }
    if (json) o += "]}\n";
    std::fputs(o.c_str(), out);
    return CLI_OK;
}

// ---- evaluate ----------------------------------------------------------------------

namespace {

// Copies the file and re-evaluates the copy in place (harmonic runs): the
// frames' limits and status bits and the result records are rewritten.
bool Reevaluate(const char* source, const char* copy)
{
    LogLayout L;
    if (!Inspect(source, &L)) return false;
    if (L.test_kind != 0 || L.format == LOG_OLD) {
        std::fprintf(stderr, "orivan-cli: only current-format harmonic files can be re-evaluated\n");
        return false;
    }
    if (LogSameFile(source, copy)) {
        std::fprintf(stderr, "orivan-cli: the copy %s would overwrite its source %s\n", copy, source);
        return false;
    }
    int in = OpenFile(source, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    int outf = OpenFile(copy, VAL_READ_WRITE, VAL_TRUNCATE, VAL_BINARY);
    bool ok = in >= 0 && outf >= 0;
    std::vector<char> chunk(1 << 20);
    while (ok) {
        long long n = ReadFile(in, chunk.data(), (long long)chunk.size());
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (WriteFile(outf, chunk.data(), n) != n) ok = false;
    }
    if (in >= 0) CloseFile(in);
    if (outf >= 0 && CloseFile(outf) < 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "orivan-cli: unable to copy %s to %s: %s\n", source, copy, std::strerror(errno));
        return false;
    }
    int fd = OpenFile(copy, VAL_READ_WRITE, VAL_OPEN_AS_IS, VAL_BINARY);
    LogLayout C;
    int rc = fd < 0 ? LOG_ERR_OPEN : LogRecognise(fd, copy, &C);
    HarmResult res[3] = {};
    if (rc >= 0 && LogReadResults(fd, C, res) < 0) rc = LOG_ERR_IO;
    if (rc >= 0) {
        std::memcpy(buf_result, res, sizeof res);
        rc = NewLimitsAll(fd);
    }
    for (int p = 0; rc >= 0 && p < C.phases; ++p) {
        if (p < C.results) rc = LogPwrite(fd, &buf_result[p], sizeof(HarmResult), C.results_offset + p * LOG_RESULT_RECORD);
        else rc = LogAppendResult(fd, buf_result[p]);
    }
    if (fd >= 0 && LogClose(fd) < 0 && rc >= 0) rc = LOG_ERR_IO;
    if (rc < 0) {
        std::fprintf(stderr, "orivan-cli: re-evaluation of %s failed: %s\n", copy, LogErrorText());
        return false;
    }
    return true;
}

}  // namespace

int CliEvaluate(int argc, char** argv, std::FILE* out)
{
    auto a = Args(argc, argv);
    const char* usage = "evaluate FILE [--json] [--re-evaluate COPY]";
    const bool json = HasFlag(a, "--json");
    bool bad = false;
    std::string copy;
    const bool re = TakeOption(a, "--re-evaluate", &copy, &bad);
    if (bad || a.size() != 1) return Usage(usage);
    std::string path = a[0];
    if (re) {
        ui::SetHeadlessMode(ui::HeadlessMode::Batch);
        if (!Reevaluate(path.c_str(), copy.c_str())) return CLI_FAILED;
        path = copy;
    }
    if (!Load(path.c_str())) return CLI_FAILED;
    return PrintEvaluation(path, json, out);
}

int PrintEvaluation(const std::string& path, bool json, std::FILE* out)
{
    const LoadReport& rep = LastLoadReport();
    const int P = para.phases == 3 ? 3 : 1;
    const bool flk = para.test_kind == 1;
    std::string o;
    if (json) {
        o = "{\"file\":" + JsonString(path.c_str()) + ",\"test_kind\":" + JsonString(KindName(para.test_kind)) +
            ",\"phases\":" + Num(P) + ",\"frames\":" + Num(size) + ",\"firstframe\":" + Num(firstframe) +
            ",\"lastframe\":" + Num(lastframe) + ",\"interrupted\":" + Bool(rep.interrupted) +
            ",\"results\":" + Num(rep.results) + ",\"phase\":[";
    } else {
        o = "File " + path + ": " + KindName(para.test_kind) + ", " + Num(P) + " phase" + (P == 1 ? "" : "s") + ", " +
            Num(size) + " frames" + (rep.interrupted ? " (interrupted run: no final results)" : "") + "\n";
    }
    for (int p = 0; p < P; ++p) {
        if (flk) {
            VerdictLamp lamps[FLICKER_LAMPS];
            FlickerLamps(p, lamps);
            const FlkFrame& f = flkbuf[p];
            if (json) {
                o += std::string(p ? "," : "") + "{\"phase\":" + Num(p + 1) + ",\"flre\":" + Num(f.flre) + ",\"verdicts\":{";
                for (int i = 0; i < FLICKER_LAMPS; ++i)
                    o += std::string(i ? "," : "") + JsonString(lamps[i].name) + ":" + Num(lamps[i].value);
                o += "},\"pst\":" + Num(double(f.flst)) + ",\"plt\":" + Num(double(f.fllt)) +
                     ",\"dc\":" + Num(double(f.fldc)) + ",\"dmax\":" + Num(double(f.fldx)) +
                     ",\"periods\":" + Num(fl_stats.periods) + ",\"period_dmax\":[";
                for (int i = 0; i < fl_stats.periods; ++i) o += (i ? "," : "") + Num(double(fl_stats.dmax[p][i]));
                o += "],\"switching_mean\":" + Num(double(fl_stats.mean[p])) +
                     ",\"mean_exceeded\":" + Bool(fl_stats.mean_exceeded[p]) + "}";
            } else {
                o += "Phase L" + Num(p + 1) + ": FLRE " + Num(f.flre) + ", Pst " + Num(double(f.flst)) + ", Plt " +
                     Num(double(f.fllt)) + ", dc " + Num(double(f.fldc)) + " %, dmax " + Num(double(f.fldx)) + " %\n  ";
                for (int i = 0; i < FLICKER_LAMPS; ++i)
                    o += std::string(lamps[i].name) + " " + (lamps[i].value ? "fail" : "ok") + "  ";
                o += "\n  " + Num(fl_stats.periods) + " periods, switching-procedure mean of dmax " +
                     Num(double(fl_stats.mean[p])) + " %\n";
            }
        } else {
            VerdictLamp lamps[HARMONIC_LAMPS];
            HarmonicLamps(p, lamps);
            const HarmResult& r = buf_result[p];
            if (json) {
                o += std::string(p ? "," : "") + "{\"phase\":" + Num(p + 1) + ",\"higf\":" + Num(r.higf) +
                     ",\"hugf\":" + Num(r.hugf) + ",\"hens\":" + Num(r.hens) + ",\"verdicts\":{";
                for (int i = 0; i < HARMONIC_LAMPS; ++i)
                    o += std::string(i ? "," : "") + JsonString(lamps[i].name) + ":" + Num(lamps[i].value);
                o += "},\"hpm\":" + Num(double(r.hpm)) + ",\"hpfm\":" + Num(double(r.hpfm)) +
                     ",\"hifm\":" + Num(double(r.hifm)) + ",\"orders\":[";
                for (int h = 0; h < ORDERS; ++h)
                    o += std::string(h ? "," : "") + "{\"order\":" + Num(h) + ",\"h_max\":" + Num(double(h_max[p][h])) +
                         ",\"max\":" + Num(double(max[p][h])) + ",\"fr_max\":" + Num(fr_max[p][h]) +
                         ",\"hiav\":" + Num(double(r.hiav[h])) + ",\"hfmx\":" + Num(double(r.hfmx[h])) + "}";
                o += "]}";
            } else {
                o += "Phase L" + Num(p + 1) + ": HIGF " + Num(r.higf) + ", HUGF " + Num(r.hugf) + ", HENS " + Num(r.hens) +
                     ", P " + Num(double(r.hpm)) + " W, PF " + Num(double(r.hpfm)) + ", I " + Num(double(r.hifm)) + " A\n  ";
                for (int i = 0; i < HARMONIC_LAMPS; ++i)
                    o += std::string(lamps[i].name) + " " + (lamps[i].value ? "fail" : "ok") + "  ";
                o += "\n  order\th_max/A\tmax/%\tframe\tHIAV/A\n";
                for (int h = 0; h < ORDERS; ++h)
                    o += "  " + Num(h) + "\t" + Num(double(h_max[p][h])) + "\t" +
                         (IsNaN(max[p][h]) ? std::string("-") : Num(double(max[p][h]))) + "\t" + Num(fr_max[p][h]) +
                         "\t" + Num(double(r.hiav[h])) + "\n";
            }
        }
    }
    if (json) o += "]}\n";
    std::fputs(o.c_str(), out);
    return CLI_OK;
}

// ---- export and cut ------------------------------------------------------------------

int CliExport(int argc, char** argv, std::FILE* out)
{
    auto a = Args(argc, argv);
    const char* usage = "export FILE OUT [--kind harmonics|10ms|frame|pst] [--comma] [--header]";
    ExportOptions opt;
    opt.comma = HasFlag(a, "--comma");
    opt.header = HasFlag(a, "--header");
    bool bad = false;
    std::string kind;
    const bool has_kind = TakeOption(a, "--kind", &kind, &bad);
    if (bad || a.size() != 2) return Usage(usage);
    if (has_kind) {
        if (kind == "harmonics") opt.kind = EXPORT_HARMONICS;
        else if (kind == "10ms") opt.kind = EXPORT_10MS_DATA;
        else if (kind == "frame") opt.kind = EXPORT_FRAME_DATA;
        else if (kind == "pst") opt.kind = EXPORT_PST_DATA;
        else return Usage(usage);
    }
    if (LogSameFile(a[0].c_str(), a[1].c_str())) {
        std::fprintf(stderr, "orivan-cli: the export file %s would overwrite its source %s\n", a[1].c_str(), a[0].c_str());
        return CLI_FAILED;
    }
    if (!Load(a[0].c_str())) return CLI_FAILED;
    if (!has_kind) opt.kind = para.test_kind == 1 ? EXPORT_FRAME_DATA : EXPORT_HARMONICS;
    if ((para.test_kind == 1) != (opt.kind != EXPORT_HARMONICS)) {
        std::fprintf(stderr, "orivan-cli: --kind %s does not fit a %s file\n", kind.c_str(), KindName(para.test_kind));
        return CLI_USAGE;
    }
    std::string err;
    long long lines = ExportFrames(a[1].c_str(), opt, &err);
    if (lines < 0) {
        std::fprintf(stderr, "orivan-cli: %s\n", err.c_str());
        return CLI_FAILED;
    }
    std::fprintf(out, "%lld lines written to %s\n", lines, a[1].c_str());
    return CLI_OK;
}

int CliCut(int argc, char** argv, std::FILE* out)
{
    auto a = Args(argc, argv);
    int32_t first = 0, last = 0;
    if (a.size() != 4 || !ParseInt(a[1], &first) || !ParseInt(a[2], &last)) return Usage("cut FILE FIRST LAST OUT");
    LogLayout L;
    if (!Inspect(a[0].c_str(), &L)) return CLI_FAILED;
    std::string err;
    int n = CutMeasurement(a[0].c_str(), a[3].c_str(), first, last, &err);
    if (n < 0) {
        std::fprintf(stderr, "orivan-cli: %s\n", err.c_str());
        return CLI_FAILED;
    }
    std::fprintf(out, "%d frame%s written to %s\n", n, n == 1 ? "" : "s", a[3].c_str());
    return CLI_OK;
}
