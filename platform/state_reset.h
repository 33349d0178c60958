// Registry of the reset functions of everything that keeps state between two
// runs of the program logic (records, tables, sessions, the simulated bench,
// the clock). Each module registers its reset beside the state it clears, at
// static initialisation, so that a module linked into a program is also
// reset with it; state/reset.h runs them all.
#pragma once

using StateResetFn = void (*)();

// Adds a reset function (duplicates are ignored).
void RegisterStateReset(StateResetFn fn);
// Calls every registered reset once, in the order of registration. Across
// source files that is the order of static initialisation (the link order),
// so two resets must not leave the same state different.
void RunStateResets();

#define ORV_RESET_CONCAT2(a, b) a##b
#define ORV_RESET_CONCAT(a, b) ORV_RESET_CONCAT2(a, b)
// REGISTER_STATE_RESET(reset_records) after the definition of the function.
#define REGISTER_STATE_RESET(fn) \
    static const bool ORV_RESET_CONCAT(state_reset_registered_, __COUNTER__) = (::RegisterStateReset(fn), true)
