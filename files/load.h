// Loading a stored measurement: the per-phase frame lists, the maxima of a
// harmonic run, the period statistics of a flicker run, the verdict
// indicators of the results panel, and the callbacks that load a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// ---- frame lists ------------------------------------------------------------
// A growable list of fixed-size elements: append at the end, access by
// 1-based position.
struct FrameList {
    size_t item_size = 0;
    size_t count = 0;
    size_t capacity = 0;                  // elements
    std::unique_ptr<unsigned char[]> bytes;
};
constexpr int END_OF_LIST = 0;
FrameList* ListCreate(size_t itemSize);
void ListDispose(FrameList* list);   // null is allowed
// Appends (position END_OF_LIST or count + 1); 0, or -1 on a bad position.
int ListInsertItem(FrameList* list, const void* item, int position);
// Copies element `position` (1 .. count); 0, or -1 when out of range.
int ListGetItem(const FrameList* list, void* item, int position);
// Pointer to element `position` or null; valid until the next insert.
const unsigned char* ListGetPtrToItem(const FrameList* list, int position);
int ListNumItems(const FrameList* list);
void ListPreallocate(FrameList* list, size_t items);
// Room for `items` more elements at the end; returns where they go (the
// caller fills them and then calls ListCommitItems).
unsigned char* ListReserveItems(FrameList* list, size_t items);
void ListCommitItems(FrameList* list, size_t items);

// ---- state filled by loading ---------------------------------------------
extern FrameList* listbuf[3];   // frames per phase (460 or 488-byte records)
extern int32_t size;            // frames in the lists
extern double firstframe;       // COUNT? of the first frame
extern double lastframe;        // flicker runs: firstframe + size
extern int fid;                 // the file while loading, else -1

// Flicker period statistics of the last load (per phase).
struct FlickerPeriodStats {
    int32_t periods = 0;        // completed observation periods taken
    float dmax[3][64] = {};     // dmax of each period (first 64 kept for reports)
    float max[3] = {}, min[3] = {};
    int32_t imax[3] = {}, imin[3] = {};
    float mean[3] = {};         // switching-procedure mean
    bool mean_exceeded[3] = {}; // mean > dmax_limit
};
extern FlickerPeriodStats fl_stats;

// What the last call of load_measurement found.
struct LoadReport {
    int status = 0;             // 0 loaded, negative when refused (state unchanged)
    int format = 0;             // LogFormat of files/logfile
    bool interrupted = false;   // the run ended without its stop step
    int32_t count = 0;          // C at offset 0
    int32_t results = 0;        // harmonic result records read
    bool short_read = false;    // a read failed: the frames so far are kept
    char message[1200] = "";    // the error shown, when refused
};
const LoadReport& LastLoadReport();

// Switching-procedure mean of `n` period values: the largest and the
// smallest value (two different periods; periods 0 and 1 when all are equal)
// are left out and the rest averaged. With fewer than three periods the mean
// of the values present; 0 without any.
float SwitchingMean(const float* values, int n, int imax, int imin);

// ---- loading -------------------------------------------------------------------
// Loads the logging file at `path` into the state above, `para`, `buf`,
// `flkbuf`, `buf_result` and the maxima, and refreshes the panels. The two
// integers have no effect. 0, or negative when the file is missing or
// refused (the previous state stays; a message names the file).
int load_measurement(const char* path, int first, int last);
// Placeholders kept from the old program: nothing to do, 0.
int load_old_measurement();
int RecalculateResults();

// Verdict indicators of the results panel from buf_result (harmonic runs)
// or the last frames and fl_stats (flicker runs).
void SetHarmonicVerdicts();
void SetFlickerVerdicts();

// The indicators of one phase as the loading sets them (1 = failed).
struct VerdictLamp {
    const char* name;   // "IALL", "I100", ... / "FAIL", "PST", ...
    int control;        // results-panel control
    int value;
};
constexpr int HARMONIC_LAMPS = 14;
constexpr int FLICKER_LAMPS = 6;
// Fills `out` for phase 0..2 (all zero for phases the run did not measure);
// returns the number of lamps.
int HarmonicLamps(int phase, VerdictLamp out[HARMONIC_LAMPS]);
int FlickerLamps(int phase, VerdictLamp out[FLICKER_LAMPS]);

// Control ids of the verdict indicators per phase (results panel).
extern int FHR_IALL[3], FHR_I100[3], FHR_U100[3], FHR_UALL[3], FHR_AMP[3], FHR_FREQ[3],
    FHR_CREST[3], FHR_PHI[3], FHR_THD[3], FHR_PWHD[3];
extern int ACDC_MIN[3], ACDC_MAX[3], ACDC_POW[3], ACDC_ALL[3];

// Callbacks
int cbLoadFile(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbChoiceLoad(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbChoiceMeas(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// Disposes of the lists and clears the loading state (tests start clean).
void reset_load_state();
