// The older 3160-byte parameter block that old configuration and logging
// files carry, and its mapping into the settings record.
#pragma once

#include <cstddef>

#include "state/para.h"

constexpr size_t OLD_PARA_SIZE = 3160;

// Takes the fields of an old block over into a record (phases 1, analyser 0,
// test data emptied; other fields unchanged).
void MapOldParameter(const unsigned char* block, Para& record);
