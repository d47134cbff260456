#pragma once
// Serves a RadioEngine on a pseudo-terminal, the way a transceiver's CAT port
// appears to a program on this machine.

#include <string>

namespace vantor::radiosim {

struct ServerOptions {
    int model = 670;
    std::string link;       // symbolic link made to the terminal ("" for none)
    std::string logPath;    // one line per command received ("" for none)
    std::string statePath;  // the radio's state, rewritten whenever it changes ("" for none)
    int latencyMs = 0;
    int latencyRandomMs = 0;  // each answer up to this much later still, at random
    int sMeter = -1;          // fixed S-meter reading, or -1 for the random walk
    std::string garbage;
    bool splitReplies = false;
    bool refuseAll = false;     // "?;" to every command
    bool mergeReplies = false;  // a reply waits up to 30 ms for the next, then both go in one write
    long silentAfter = -1;      // commands answered before the radio goes quiet
    long vanishAfter = -1;      // commands received before the port goes away
};

// Runs until SIGINT, SIGTERM or SIGHUP. SIGUSR1 removes the port, SIGUSR2
// brings it back under the same link. Returns the process exit status.
int runServer(const ServerOptions& options);

}  // namespace vantor::radiosim
