#include "state/framelist.h"

#include <cstring>

#include "state/reset.h"

FrameList* ListCreate(size_t itemSize)
{
    auto* l = new FrameList;
    l->item_size = itemSize;
    return l;
}

void ListDispose(FrameList* list) { delete list; }

namespace {
void Grow(FrameList* list, size_t need)
{
    if (need <= list->capacity) return;
    size_t cap = list->capacity ? list->capacity * 2 : 64;
    if (cap < need) cap = need;
    std::unique_ptr<unsigned char[]> b(new unsigned char[cap * list->item_size]);
    if (list->count) std::memcpy(b.get(), list->bytes.get(), list->count * list->item_size);
    list->bytes = std::move(b);
    list->capacity = cap;
}
}  // namespace

int ListInsertItem(FrameList* list, const void* item, int position)
{
    if (!list || !item) return -1;
    if (position != END_OF_LIST && size_t(position) != list->count + 1) return -1;
    Grow(list, list->count + 1);
    std::memcpy(list->bytes.get() + list->count * list->item_size, item, list->item_size);
    ++list->count;
    return 0;
}

unsigned char* ListReserveItems(FrameList* list, size_t items)
{
    Grow(list, list->count + items);
    return list->bytes.get() + list->count * list->item_size;
}

void ListCommitItems(FrameList* list, size_t items)
{
    if (list->count + items <= list->capacity) list->count += items;
}

const unsigned char* ListGetPtrToItem(const FrameList* list, int position)
{
    if (!list || position < 1 || size_t(position) > list->count) return nullptr;
    return list->bytes.get() + size_t(position - 1) * list->item_size;
}

int ListGetItem(const FrameList* list, void* item, int position)
{
    const unsigned char* p = ListGetPtrToItem(list, position);
    if (!p || !item) return -1;
    std::memcpy(item, p, list->item_size);
    return 0;
}

int ListNumItems(const FrameList* list) { return list ? int(list->count) : 0; }

void ListPreallocate(FrameList* list, size_t items)
{
    if (list) Grow(list, items);
}

// ---- state ----------------------------------------------------------------------

FrameList* listbuf[3] = {nullptr, nullptr, nullptr};
int32_t size = 0;
double firstframe = 0;
double lastframe = 0;
int fid = -1;

void reset_frame_lists()
{
    for (auto& l : listbuf) {
        ListDispose(l);
        l = nullptr;
    }
    size = 0;
    firstframe = 0;
    lastframe = 0;
    fid = -1;
}
REGISTER_STATE_RESET(reset_frame_lists);
