// Names the start-up sets: the extension of measurement files, the picture
// of the introduction page and the program's name.
#pragma once

extern char qel_gsx[8];          // measurement file extension ".qel"
extern char intro_picture[32];   // picture of the introduction page "orivan.bmp"
extern char program_name[16];    // "ORIVAN"
