// Export of the loaded measurement as tab-separated text, and the
// frame-range cut into a new logging file.
#pragma once

#include <cstdint>
#include <string>

// What to export. For harmonic runs the kind is always EXPORT_HARMONICS.
enum ExportKind {
    EXPORT_HARMONICS = 0,
    EXPORT_10MS_DATA = 1,    // flicker: 32 lines of 10 ms values per frame
    EXPORT_FRAME_DATA = 2,   // flicker: one line per frame
    EXPORT_PST_DATA = 3,     // flicker: one line per observation period
};
struct ExportOptions {
    int kind = EXPORT_HARMONICS;
    bool comma = false;      // every "." of a line becomes ","
    bool header = false;     // a header line first
    int progress_panel = 0;  // progress bar to drive (0: none)
    int progress_control = 0;
};

// Writes the frames in `listbuf` (settings from `para`) to `path`. Returns
// the number of lines written, or -1 when the file cannot be created or
// written (then *error says why and the file is removed).
long long ExportFrames(const char* path, const ExportOptions& options, std::string* error = nullptr);

// The export panel's choices: decimal comma, header line and, for flicker
// runs, the data kind; writes `path` and reports a failure in a message.
int export_data(const char* path);

// The export file chosen by cbExport.
extern char export_file[1024];

// Frame-range cut of `source` into `target`: the frames first .. last - 1
// (0-based, limited to the frames the file holds) with the settings record
// marked as a cut (frame_window 1, first_frame, last_frame). Harmonic runs
// get averages and the re-evaluation; flicker runs are stored as a run ends
// (first frame once, later frames twice). Returns the number of frames
// copied, or a negative status of files/logfile (*error says why). `para`
// and `buf_result` are left as they were.
int CutMeasurement(const char* source, const char* target, int32_t first, int32_t last,
                   std::string* error = nullptr);

// Asks for the new file name ("Select data file!") and cuts. -1 when the
// dialog was cancelled, 0 when written, another negative status on failure
// (a message was shown). The new path goes into the graph panel's file field.
int ConvertFile(const char* source, int first, int last);

// Callbacks
int cbExport(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbData10ms(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbDataFrame(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbDataPst(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbOKExport(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbpanExport(int panel, int event, void* callbackData, int eventData1, int eventData2);
int cbSubProject(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// Proposed export name: the stored file's name without everything from the
// first "." of its file name, plus ".txt".
std::string ExportNameFor(const char* log_file);
