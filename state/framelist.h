// Per-phase frame lists: the frames of the test being run or loaded. The
// loading and the run fill them; graphs, tables, protocols and the export
// read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

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

// ---- the frames of the loaded or running test ---------------------------
extern FrameList* listbuf[3];   // frames per phase (460 or 488-byte records)

// Copies entry `position` (1-based) of a phase's frame list into `out`;
// false for a phase, list, position or record kind the lists do not hold.
template <class R>
bool FrameRecordAt(int phase, int position, R* out)
{
    if (phase < 0 || phase > 2 || !listbuf[phase] || listbuf[phase]->item_size != sizeof(R)) return false;
    const unsigned char* p = ListGetPtrToItem(listbuf[phase], position);
    if (!p) return false;
    std::memcpy(out, p, sizeof(R));
    return true;
}
extern int32_t size;            // frames in the lists
extern double firstframe;       // COUNT? of the first frame
extern double lastframe;        // flicker runs: firstframe + size
extern int fid;                 // the file while loading, else -1

// Disposes of the lists and clears the counters (registered with the
// program-state reset).
void reset_frame_lists();
