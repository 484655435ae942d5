#pragma once

namespace tallix::platform {

// Points the PulseAudio client library of this process (and of the programs it starts) at a
// private copy of the client settings it would read anyway, with autospawn turned off: neither
// our own connection nor ALSA's plugin for the server, which PortAudio reaches, then ever starts
// a server as a side effect of playing a digit. Call it before any thread starts, as it sets
// PULSE_CLIENTCONFIG. Where no private copy can be made, nothing changes.
void keepPulseFromAutospawning();

} // namespace tallix::platform
