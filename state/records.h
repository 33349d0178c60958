// Frame and result records: the analyser's packed answers, completed by the
// evaluation and stored unchanged in layout in the logging file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr int MAX_ORDER = 40;
constexpr int ORDERS = 41;  // index = harmonic order 0..40

// No-limit (no-value) mark: a quiet NaN with this exact bit pattern.
constexpr uint32_t NO_LIMIT_BITS = 0x7FFFFFFFu;

// 1 when the 32-bit pattern has all exponent bits set and a non-zero mantissa.
int IsNaN(uint32_t bits);
inline int IsNaN(int32_t bits) { return IsNaN(uint32_t(bits)); }
int IsNaN(float value);
inline int IsNaN(double value) { return value != value ? 1 : 0; }
float NoLimit();                 // a float carrying NO_LIMIT_BITS
uint32_t FloatBits(float f);
float BitsFloat(uint32_t bits);

#pragma pack(push, 1)
// Harmonic frame record: one acquisition answer per phase.
struct HarmFrame {
    int32_t fltr;          //   0 FLTR? remaining time, s
    float hiam[ORDERS];    //   4 HIAM? (0:40) current amplitude per order, A
    float limit[ORDERS];   // 168 HIPH? as received, replaced by the limit per order, A
    float utrms;           // 332 UTRMS?
    float itrms;           // 336 ITRMS?
    float p;               // 340 P? (HPAV?)
    float pf;              // 344 PF? (HPFA?)
    float freq;            // 348 FREQ?
    float huhd;            // 352 HUHD?
    float hihd;            // 356 HIHD? (THD of current)
    float s;               // 360 S?
    float q;               // 364 Q?
    float hthc;            // 368 HTHC?
    float hpoc;            // 372 HPOC? (PWHD under EN61000-3-12)
    int32_t hiov[4];       // 376 HIOV? (0:3)
    int32_t hist;          // 392 HIST? frame status bits
    int32_t hens;          // 396 HENS?
    int32_t huov[4];       // 400 HUOV? (0:3)
    int32_t hust;          // 416 HUST?
    float huph1;           // 420 HUPH? (1:1)
    int32_t edit;          // 424 EDIT?
    float count;           // 428 COUNT?
    float ovru;            // 432 OVRU? %
    float ovri;            // 436 OVRI? %
    float hima;            // 440 HIMA?
    float aiva[4];         // 444 AIVA1?..AIVA4?
};

// Harmonic result record: the answer to the result query at the end of a run.
struct HarmResult {
    int32_t fltr;          //   0 FLTR?
    float hiav[ORDERS];    //   4 HIAV? (0:40) average current per order, A
    float humx[ORDERS];    // 168 HUMX? (0:40)
    float hfmx[ORDERS];    // 332 HFMX? (0:40) largest share above limit (fraction)
    int32_t hilt[2];       // 496 HILT? (0:1): [0] orders 32..40, [1] orders 0..31
    int32_t hult[2];       // 504 HULT? (0:1)
    int32_t hifl[2];       // 512 HIFL? (0:1)
    int32_t higf;          // 520 HIGF? current verdict bits
    int32_t hugf;          // 524 HUGF? supply verdict bits
    int32_t hens;          // 528 HENS?
    int32_t eval;          // 532 EVAL?
    int32_t edit;          // 536 EDIT?
    float hpm;             // 540 HPM?
    float hpfm;            // 544 HPFM?
    float hifm;            // 548 HIFM?
};

// Flicker frame record: one flicker acquisition answer per phase.
struct FlkFrame {
    int32_t fltr;          //   0 FLTR?
    int32_t fstr;          //   4 FSTR? remaining time of the observation period
    int32_t fsta;          //   8 FSTA? 0 idle, 1 waiting, 2 running, 3 finished
    float utrms;           //  12
    float itrms;           //  16
    float p;               //  20
    float pf;              //  24
    float freq;            //  28
    float huhd;            //  32
    float hihd;            //  36
    float s;               //  40
    float q;               //  44
    float flst;            //  48 Pst
    float fllt;            //  52 Plt
    float flmo;            //  56 Pmom
    float flms[32];        //  60 FLMS? (0:31)
    float flrm[32];        // 188 FLRM? (0:31) half-period RMS, V
    float fldt[32];        // 316 FLDT? (0:31) d(t), %
    float fldc;            // 444 dc, %
    float fldx;            // 448 dmax, %
    int32_t flre;          // 452 FLRE? verdict bits
    int32_t edit;          // 456
    float count;           // 460
    float ovru;            // 464
    float ovri;            // 468
    float aiva[4];         // 472
};
#pragma pack(pop)

static_assert(sizeof(HarmFrame) == 460);
static_assert(offsetof(HarmFrame, fltr) == 0);
static_assert(offsetof(HarmFrame, hiam) == 4);
static_assert(offsetof(HarmFrame, limit) == 168);
static_assert(offsetof(HarmFrame, utrms) == 332);
static_assert(offsetof(HarmFrame, itrms) == 336);
static_assert(offsetof(HarmFrame, p) == 340);
static_assert(offsetof(HarmFrame, pf) == 344);
static_assert(offsetof(HarmFrame, freq) == 348);
static_assert(offsetof(HarmFrame, huhd) == 352);
static_assert(offsetof(HarmFrame, hihd) == 356);
static_assert(offsetof(HarmFrame, s) == 360);
static_assert(offsetof(HarmFrame, q) == 364);
static_assert(offsetof(HarmFrame, hthc) == 368);
static_assert(offsetof(HarmFrame, hpoc) == 372);
static_assert(offsetof(HarmFrame, hiov) == 376);
static_assert(offsetof(HarmFrame, hist) == 392);
static_assert(offsetof(HarmFrame, hens) == 396);
static_assert(offsetof(HarmFrame, huov) == 400);
static_assert(offsetof(HarmFrame, hust) == 416);
static_assert(offsetof(HarmFrame, huph1) == 420);
static_assert(offsetof(HarmFrame, edit) == 424);
static_assert(offsetof(HarmFrame, count) == 428);
static_assert(offsetof(HarmFrame, ovru) == 432);
static_assert(offsetof(HarmFrame, ovri) == 436);
static_assert(offsetof(HarmFrame, hima) == 440);
static_assert(offsetof(HarmFrame, aiva) == 444);

static_assert(sizeof(HarmResult) == 552);
static_assert(offsetof(HarmResult, fltr) == 0);
static_assert(offsetof(HarmResult, hiav) == 4);
static_assert(offsetof(HarmResult, humx) == 168);
static_assert(offsetof(HarmResult, hfmx) == 332);
static_assert(offsetof(HarmResult, hilt) == 496);
static_assert(offsetof(HarmResult, hult) == 504);
static_assert(offsetof(HarmResult, hifl) == 512);
static_assert(offsetof(HarmResult, higf) == 520);
static_assert(offsetof(HarmResult, hugf) == 524);
static_assert(offsetof(HarmResult, hens) == 528);
static_assert(offsetof(HarmResult, eval) == 532);
static_assert(offsetof(HarmResult, edit) == 536);
static_assert(offsetof(HarmResult, hpm) == 540);
static_assert(offsetof(HarmResult, hpfm) == 544);
static_assert(offsetof(HarmResult, hifm) == 548);

static_assert(sizeof(FlkFrame) == 488);
static_assert(offsetof(FlkFrame, fltr) == 0);
static_assert(offsetof(FlkFrame, fstr) == 4);
static_assert(offsetof(FlkFrame, fsta) == 8);
static_assert(offsetof(FlkFrame, utrms) == 12);
static_assert(offsetof(FlkFrame, itrms) == 16);
static_assert(offsetof(FlkFrame, p) == 20);
static_assert(offsetof(FlkFrame, pf) == 24);
static_assert(offsetof(FlkFrame, freq) == 28);
static_assert(offsetof(FlkFrame, huhd) == 32);
static_assert(offsetof(FlkFrame, hihd) == 36);
static_assert(offsetof(FlkFrame, s) == 40);
static_assert(offsetof(FlkFrame, q) == 44);
static_assert(offsetof(FlkFrame, flst) == 48);
static_assert(offsetof(FlkFrame, fllt) == 52);
static_assert(offsetof(FlkFrame, flmo) == 56);
static_assert(offsetof(FlkFrame, flms) == 60);
static_assert(offsetof(FlkFrame, flrm) == 188);
static_assert(offsetof(FlkFrame, fldt) == 316);
static_assert(offsetof(FlkFrame, fldc) == 444);
static_assert(offsetof(FlkFrame, fldx) == 448);
static_assert(offsetof(FlkFrame, flre) == 452);
static_assert(offsetof(FlkFrame, edit) == 456);
static_assert(offsetof(FlkFrame, count) == 460);
static_assert(offsetof(FlkFrame, ovru) == 464);
static_assert(offsetof(FlkFrame, ovri) == 468);
static_assert(offsetof(FlkFrame, aiva) == 472);

// HIST frame status bits
constexpr int32_t HIST_FAIL = 0x001;
constexpr int32_t HIST_OVER100 = 0x002;
constexpr int32_t HIST_FLUCT = 0x004;
constexpr int32_t HIST_OVER150 = 0x400;      // live evaluation, re-evaluation of class C
constexpr int32_t HIST_OVER150_AB = 0x800;   // re-evaluation of classes A and B
// Bits the live current-harmonics lamp tests under the 2006 editions
// (HIST_OVER100 alone otherwise).
constexpr int32_t HIST_LAMP_2006 = HIST_OVER100 | HIST_OVER150;

// HIGF current verdict bits
constexpr int32_t HIGF_FAIL = 0x001;
constexpr int32_t HIGF_AVG_OVER = 0x002;
constexpr int32_t HIGF_FLUCT = 0x004;
constexpr int32_t HIGF_D_POWER_MEASURED_1 = 0x010;
constexpr int32_t HIGF_D_POWER_MEASURED_2 = 0x080;
constexpr int32_t HIGF_C_MEASURED_MASK = 0x360;
constexpr int32_t HIGF_OVER150 = 0x400;
constexpr int32_t HIGF_THD = 0x800;          // EN61000-3-12
constexpr int32_t HIGF_PWHD = 0x1000;        // EN61000-3-12
constexpr int32_t HIGF_PHASE5 = 0x2000;
constexpr int32_t HIGF_H5H7 = 0x4000;
constexpr int32_t HIGF_H3 = 0x8000;
// Bits the FHR_IALL lamp tests under the 2006 editions (HIGF_FAIL otherwise).
constexpr int32_t HIGF_LAMP_2006 = HIGF_FAIL | HIGF_OVER150;

// HUGF supply verdict bits
constexpr int32_t HUGF_UALL = 0x01;
constexpr int32_t HUGF_U100 = 0x02;
constexpr int32_t HUGF_AMP = 0x04;
constexpr int32_t HUGF_FREQ = 0x08;
constexpr int32_t HUGF_CREST = 0x10;
constexpr int32_t HUGF_PHI = 0x20;

// HENS bits (lamps ACDC_ALL, ACDC_MAX, ACDC_MIN, ACDC_POW)
constexpr int32_t HENS_ALL = 0x1;
constexpr int32_t HENS_MAX = 0x2;
constexpr int32_t HENS_MIN = 0x4;
constexpr int32_t HENS_POW = 0x8;

// FLRE flicker verdict bits, set by the analyser (a set bit = check failed)
constexpr int32_t FLRE_FAIL = 0x01;   // shown by its own lamp/indicator
constexpr int32_t FLRE_PST = 0x02;    // some Pst not below 1.0
constexpr int32_t FLRE_PLT = 0x04;    // Plt not below 0.65
constexpr int32_t FLRE_DMAX = 0x08;   // dmax above dmax_limit
constexpr int32_t FLRE_DT = 0x10;     // d(t) above dt_limit longer than dt_time
constexpr int32_t FLRE_DC = 0x20;     // dc above dc_limit
// Older names of the same bits
constexpr int32_t FLRE_1 = FLRE_FAIL;
constexpr int32_t FLRE_2 = FLRE_PST;
constexpr int32_t FLRE_4 = FLRE_PLT;
constexpr int32_t FLRE_10 = FLRE_DT;
constexpr int32_t FLRE_20 = FLRE_DC;

// Frame and result records of the three phases.
extern HarmFrame buf[3];
extern FlkFrame flkbuf[3];
extern HarmResult buf_result[3];

// Per-order maxima of a stored test.
extern float max[3][ORDERS];      // largest current/limit ratio, %
extern float h_max[3][ORDERS];    // largest current, A
extern int32_t fr_max[3][ORDERS]; // frame of the largest ratio
extern int32_t IsLimNaN[3][ORDERS];

// User limit table (orders 0..40, A), no-limit mark where not entered.
extern float limits[ORDERS];
// 1 = the user limit table is active.
extern int32_t LIM_ON;

// 64-bit order masks stored as two words: word 0 holds orders 32..63
// (bit n-32), word 1 orders 0..31 (bit n).
uint64_t OrderMask(const int32_t words[2]);
void SetOrderMaskWords(int32_t words[2], uint64_t mask);
inline uint64_t OrderBit(int order) { return uint64_t(1) << order; }

// Raw byte access (records are read and written as bytes, never cast).
template <class R>
void RecordFromBytes(R& r, const void* bytes) { std::memcpy(&r, bytes, sizeof r); }
template <class R>
void RecordToBytes(const R& r, void* bytes) { std::memcpy(bytes, &r, sizeof r); }

// Clears the records, maxima and user limit table (limits to the no-limit
// mark, LIM_ON 0); registered with the program-state reset.
void reset_records();
