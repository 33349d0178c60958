// Equipment models for flicker and voltage-change tests: loads whose current
// changes make the voltage at their terminals change across the reference
// impedance.
//
//   switch    resistive load switched between `power` and `low` at `cpm`
//             changes per minute (rectangular)
//   sineload  resistive load whose power follows a sine around its mean
//   motor     motor start: locked-rotor current at a low power factor,
//             decaying to the running current (optionally repeated)
//   hob       cooker hob: heating element under a thermostat with hysteresis
//             over a first-order thermal model of the plate
//
// Each is a series R-L branch (the load's own R and L plus the supply
// impedance), integrated exactly for a source voltage linear between samples,
// so the models work at any sampling interval. Switching on happens either at
// the current zero of the new branch (zc=1: a zero-crossing switch, no
// transient) or at the scheduled instant (zc=0: a contact); switching off
// always waits for the current zero (the contact arcs until then).
#pragma once

#include <memory>
#include <string>

#include "sim/eut/eut.h"
#include "sim/eut/params.h"

namespace simphys {

// Builds the flicker load named in `p`. False when the name is none of them;
// otherwise true, with the model in *out or null and a message in *error.
bool MakeFlickerLoad(const ParamText& p, std::unique_ptr<Eut>* out, std::string* error);

// The lines of these models for ListEut().
std::string ListFlickerLoads();

}  // namespace simphys
