// The query texts of a run: the cyclic query the analyser answers once per
// measuring cycle, the result query of a harmonic stop, and the sizes of
// their packed answers.
#pragma once

#include <string>

// The cyclic query of `channel` for the test kind and analyser type of
// `para`. With one PAM-C (analyser type 1) channel 0 gets the query of all
// three channel groups and the other channels get nothing (empty text).
void PrepareCmd(std::string& text, int channel);
// The result query of the test kind and analyser type of `para`.
void PrepareCmdResult(std::string& text);

// Payload bytes of the cyclic answer of `channel` (440/460 harmonic,
// 472/488 flicker per channel; 1380/1464 for the three groups of a PAM-C).
int CyclicAnswerSize(int channel);
// Payload bytes of the harmonic result answer (552, or 1656 for a PAM-C).
int ResultAnswerSize();
