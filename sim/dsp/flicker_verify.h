// A verification run of the flickermeter: a supply with a defined
// fluctuation through the flickermeter, printing Pinst,max, each Pst and
// Plt, so that any point of the verification tables can be checked by hand.
//
//   --fluctuation rect:cpm=110,du=0.722 | sine:hz=8.8,du=0.25
//   [--lamp 230/50|120/60] [--periods N] [--minutes M] [--seconds S] [--rate HZ]
#pragma once

namespace orivan::dsp {

// Runs on the options (without the program name); `name` heads the
// messages. Returns the exit status: 0, or 2 for bad options (with the usage
// on standard error).
int FlickerVerifyMain(int argc, char** argv, const char* name);

}  // namespace orivan::dsp
