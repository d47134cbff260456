#pragma once
// The network port: programs that use Hamlib's "NET rigctl" model connect
// over TCP and share the radio as the bridge port's client does, each with
// its own turn in the conversation with the radio.

#include <string>

#include "core/panel.h"

namespace vantor {

inline constexpr int kRigctldDefaultPort = 4532;

// Listens where the operator asked (rigctldAddress, rigctldPort); false, with
// one line on standard error, when that is not possible.
bool openNetworkPort(Panel& p);
// Takes new connections, relays each client's requests to the radio in turn
// and writes back their answers; a client that went away is forgotten, and
// what the panel must act on is left in sharedNews. Speaks nothing.
void serveNetworkPort(Panel& p);
// Closes the listener and every connection.
void closeNetworkPort(Panel& p);

}  // namespace vantor
