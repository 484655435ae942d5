#pragma once

#include "platform/SoundPlayer.h"

#include <functional>
#include <memory>

namespace tallix::platform {

using PlayerFactory = std::function<std::unique_ptr<SoundPlayer>()>;

// Plays through a PulseAudio server (or PipeWire's pulse server) on one stream kept open for the
// process's life. Where no server answers and none ever did, it plays through the player that
// `fallback` makes (if given); a server that stalls or goes away later costs silence of the
// recordings' own length until it is back.
std::unique_ptr<SoundPlayer> makePulsePlayer(PlayerFactory fallback);

} // namespace tallix::platform
