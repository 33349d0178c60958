// The text protocol: page 1 and page 2 of the harmonic or flicker protocol
// built into `bufTable`, shown on the protocol panel and printed as text.
#pragma once

#include <string>

// The whole text protocol of the current test (page 1, then page 2); grows as needed.
extern std::string bufTable;

// Rebuilds the text protocol into bufTable, shows it on the protocol panel
// and rebuilds the detailed protocol.
int CreateProtocol();

// Harmonic protocol: page 1 replaces `out`, page 2 (with page 3 for the third
// phase) is appended.
int createResultTableH1(std::string& out);
int createResultTableH2(std::string& out);
// Flicker protocol: page 1 replaces `out`, page 2 is appended.
int createResultTableF1(std::string& out);
int createResultTableF2(std::string& out);

// The first lines of page 1 shared by both protocols (harmonic: with the
// "Test data" line and the Type line ending in a line feed).
void ProtocolHeader(std::string& out, bool harmonic);
// The line of the logging file and its date that heads page 1 and the printed page 2.
void LoggingFileLines(std::string& out);

// The text protocol as printed: page 1 with its "Page 2 .." mark, then page 2
// with its own header. false for a test of another kind.
bool PrintedProtocolPages(std::string* page1, std::string* page2);
