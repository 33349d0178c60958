// The measuring engine of a simulated analyser: the configuration commands
// of a test preparation (stored as device state), the measuring cycle on the
// shared clock (one window of the plant per cycle, analysed per channel),
// the answers of the cyclic and result queries, the device's own test
// evaluation and the flicker measurement. It plugs into an Analyser through
// its registry and its pump hook; docs/simulator.md describes the commands
// and the timing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "sim/analyser.h"
#include "sim/analysis/device_eval.h"
#include "sim/analysis/harmonics.h"
#include "sim/dsp/flicker_channel.h"
#include "sim/plant.h"
#include "sim/values.h"

namespace sim {

struct EngineOptions {
    // Measuring time per clock time: 1 real time, N N-fold, 0 as fast as the
    // answers are read (a cycle completes whenever the previous one was read).
    double speed = 1;
    // Plant phase measured by channel 1 (a PAM-A on L2 measures phase 1).
    int first_phase = 0;
};

// The device configuration of a test (the preparation's commands).
struct DeviceConfig {
    double ext_sensor[3] = {};  // switches (0, 1)
    double auto_range_i[3] = {1, 1, 1}, auto_range_u[3] = {1, 1, 1};
    double i_range[3] = {10, 10, 10}, u_range[3] = {300, 300, 300};  // A, V (RMS of a full-scale sine)
    double i_scale[3] = {1, 1, 1}, u_scale[3] = {1, 1, 1};           // sensor ratios
    bool frozen = false;                                               // FRZ ON
    double ai_high[4] = {10, 10, 10, 10}, ai_low[4] = {};              // analog input bounds
    int flps = 12;        // observation periods
    int htim = 150;       // harmonic test time, s (0: until STOP)
    int ftim = 600;       // observation period, s
    int fnrm = 0;         // flicker variant
    double fldl = 4;      // dmax limit, %
    int zref = -1;        // reference impedance (-1 not given, 0 phase conductor, 1 loop)
    double ztst = 0;      // impedance of the test supply, Ohm
    double pfso = 0, iso = 0, pso = 0;  // set-points (0: none)
    int edit = 3, eval = 0, smoo = 1, cecd = 0, sysd = 0;
    double rsce = 33;
};

// HENS bits (the analyser's own words for the measurement itself).
constexpr int32_t kEnsAny = 0x1;       // some bit below
constexpr int32_t kEnsRange = 0x2;     // over-range of voltage or current
constexpr int32_t kEnsLow = 0x4;       // current too small to measure (below 0.1 % of the range)
constexpr int32_t kEnsPower = 0x8;     // active power more than 10 % off the class D set-point

class Engine : public MeasuredValues {
public:
    // Takes over the analyser's measuring: registers the engine's commands
    // and queries in its registry and hooks its pump. The analyser owns the
    // engine (as its measured values).
    static std::shared_ptr<Engine> Install(Analyser& a, std::shared_ptr<Plant> plant, EngineOptions opt = {});

    bool value(const std::string& mnemonic, int channel, double* v) const override;

    const DeviceConfig& config() const { return cfg_; }
    uint32_t cycles() const { return cycles_; }       // completed cycles since switch-on
    uint32_t lost() const { return lost_; }           // cyclic answers lost (previous unread)
    bool test_finished() const { return finished_; }
    Plant& plant() { return *plant_; }
    // The latest values of a channel (0-based).
    const simphys::PhaseValues& phase_values(int ch) const { return pv_[ch]; }
    // Remaining time as FLTR? answers it.
    int32_t remaining() const;

    Engine(Analyser& a, std::shared_ptr<Plant> plant, EngineOptions opt);

private:
    struct Wave {  // time-domain figures of one window
        double udc = 0, idc = 0, umax = 0, umin = 0, imax = 0, imin = 0, urec = 0, irec = 0;
    };
    struct Channel {
        int32_t hiov[4] = {}, hist = 0, hens = 0, hens_test = 0;
        float limit[simphys::kOrders] = {};
        Wave wave;
        double ep = 0, es = 0, eq = 0, ei = 0;  // energies since START: Wh, VAh, varh, Ah
        double sum_p = 0, sum_s = 0, sum_q = 0;
        int frames = 0;                         // cycles of the test
        std::unique_ptr<orivan::dsp::FlickerChannel> flicker;
        orivan::dsp::FlickerFrameValues fv;
        std::vector<double> buf;  // window samples as doubles for the flickermeter
    };

    void register_commands(const std::shared_ptr<Engine>& self);
    void pump(double now);
    void cycle(bool counted);
    void start_test();
    void fresh();                 // values of a current window, measuring one when stale
    double cycle_time() const;    // clock seconds of one cycle
    int periods_per_cycle() const;
    void new_flicker(int ch);
    int flicker_state() const;
    int32_t period_remaining() const;
    simphys::AnalyserSetup analyser_setup() const;
    Answer single(const std::string& mn, const Command& c);
    const simphys::PhaseResult& result(int ch);

    Analyser& a_;
    std::shared_ptr<Plant> plant_;
    EngineOptions opt_;
    DeviceConfig cfg_;
    simphys::HarmonicAnalyser analyser_;
    simphys::DeviceEvaluation eval_;
    std::array<simphys::PhaseValues, 3> pv_{};
    std::array<Channel, 3> ch_;
    std::array<simphys::PhaseResult, 3> result_{};
    bool result_valid_ = false;
    bool integral_ = false;       // after INIM: HENS? answers the test's word
    std::string cyclic_;          // the query answered once per cycle
    size_t last_answer_ = 0;      // bytes of the last cyclic answer
    uint64_t window_ = 0;         // number of the plant's last window
    uint32_t cycles_ = 0, lost_ = 0;
    double due_ = 0;              // clock time the next cycle completes
    bool stale_ = true;           // no window measured since idle cycles were skipped
    bool busy_ = false;
    bool measured_ = false;       // some window was measured
    bool finished_ = false;
    double test_time_ = 0;        // measuring time since START, s
    bool started_ = false;        // a test was started since switch-on
    int32_t stopped_remaining_ = 0;  // FLTR at STOP
    int test_mode_ = 1;           // MODE at START
    DeviceConfig test_cfg_;       // configuration at START
    double t_measured_ = 0;       // measuring time since switch-on, s (analog inputs)
};

// A measuring analyser of a kind on a plant.
std::shared_ptr<Analyser> MakeMeasuringAnalyser(Kind kind, Identity id, std::shared_ptr<Plant> plant,
                                                EngineOptions opt = {});

}  // namespace sim
