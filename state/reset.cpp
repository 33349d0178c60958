#include "state/reset.h"

void ResetProgramState() { RunStateResets(); }
