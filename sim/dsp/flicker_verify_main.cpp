// flicker-verify: the flickermeter verification run (also "pam-sim flicker").
//
//   flicker-verify --fluctuation rect:cpm=110,du=0.722 [--lamp 230/50|120/60]
//                  [--periods N] [--minutes M] [--seconds S] [--rate HZ]
#include "sim/dsp/flicker_verify.h"

int main(int argc, char** argv)
{
    return orivan::dsp::FlickerVerifyMain(argc - 1, argv + 1, "flicker-verify");
}
