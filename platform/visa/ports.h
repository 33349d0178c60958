// Serial port numbers to device paths: port n is /dev/ttyS(n-1) unless a
// mapping names another device (USB adapter, pam-sim's pseudo-terminal).
// Mappings come from "ports.ini" beside the program ("n=/dev/..." lines) and
// from the command-line option "--port n=/dev/..." (which wins).
#pragma once

#include <string>

namespace visa {

// Device path of serial port n (n >= 1).
std::string SerialDevicePath(int n);
// Sets or (empty path) removes the mapping of port n.
void SetPortMapping(int n, const std::string& path);
// Reads an ini file of "n=path" lines and an optional "visa = /path/libvisa.so"
// line (a vendor VISA library for GPIB); "#" and ";" start comments, section
// headers are ignored. Returns the number of mappings read, -1 if the file
// cannot be opened. Malformed lines are skipped.
int LoadPortsIni(const std::string& path);
// Takes every "--port n=path" / "--port=n=path" and "--visa-library PATH"
// (a vendor VISA library for GPIB) out of argv (argc is updated). Returns false (with a message in *error) on a malformed option.
bool ParsePortOptions(int* argc, char** argv, std::string* error);
// Directory of the running program (from /proc/self/exe), with a final '/'.
std::string ProgramDirectory();
// Forgets all mappings; the next lookup reads ports.ini beside the program again.
void reset_ports();

}  // namespace visa
