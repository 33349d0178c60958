// The detailed (advanced) protocol: two panels of list boxes, text boxes and
// graphs showing the test result in columns per phase; page 1 `advanced`,
// page 2 `advanced2`.
#pragma once

// Rebuilds both pages from the loaded test.
int SetAdvancedPanel();
// Clears the text boxes and lists of both pages and sets the phase layout.
int PrepareAdvancedProtocol(int phases);
// Draws the result graph of a phase on page 2.
int DrawResultGraph(int phase);
