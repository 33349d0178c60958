// Serving one simulated analyser over a file descriptor: a pseudo-terminal
// (the serial back-end's view) or a TCP connection (the socket back-end's).
#pragma once

#include <string>

#include "sim/analyser.h"

namespace sim {

// Opens a pseudo-terminal; returns the master descriptor (-1 on failure) and
// the slave path. The slave is held open, in raw mode, so the line stays up
// between clients.
int OpenPty(std::string* slave_path, int* slave_fd);
// Listens on 127.0.0.1:port (0: any free port); returns the socket and the port.
int ListenTcp(int port, int* bound_port);

// Serves the analyser on a connected descriptor until it closes or `stop`
// becomes true. Returns when the peer has gone (TCP) or on stop.
void ServeFd(Analyser& a, int fd, const volatile bool* stop);
// Accepts TCP clients one after another and serves each.
void ServeTcp(Analyser& a, int listen_fd, const volatile bool* stop);

}  // namespace sim
