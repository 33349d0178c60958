// orivan-cli plot: the graph panel's plots of a stored measurement as a PNG
// or SVG picture, drawn from the same plot model and by the same painter as
// the program's graph.
#pragma once

#include <cstdio>

// plot FILE --list
// plot FILE --phase N --quantity CODE [--quantity CODE ...] [--percent]
//      [--histogram|--cumulative|--correlation] [--frames A:B] [--size WxH] --out FILE.png|.svg
int CliPlot(int argc, char** argv, std::FILE* out);
