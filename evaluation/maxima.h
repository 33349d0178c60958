// Per-order maxima of a harmonic run (h_max, max, fr_max, IsLimNaN of
// state/records.h), taken frame by frame from the stored records.
#pragma once

#include <cstdint>

// Takes one harmonic frame record (stored bytes) of phase p, frame k.
void HarmonicMaxima(const unsigned char* rec, int p, int32_t k);
// Start values before the first frame: no maximum, every order without limit.
void ClearMaxima();
// After the last frame: the orders that never had a limit get the no-limit
// mark as their largest ratio.
void MarkOrdersWithoutLimit();
