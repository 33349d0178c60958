#include "state/names.h"

#include "state/reset.h"

char qel_gsx[8] = "";
char intro_picture[32] = "";
char program_name[16] = "";

namespace {
void reset_names() { qel_gsx[0] = intro_picture[0] = program_name[0] = 0; }
REGISTER_STATE_RESET(reset_names);
}  // namespace
