// What agentsay finds in its player module (player.cpp), by name, once loaded.
#pragma once

#include "agent/speech/utterance.h"

// Plays the utterance (taking its samples) through the sound server, or silently for its length when there
// is none; returns the exit status.
using AgentsayPlay = int (*)(agent::speech::Utterance* utterance);
inline constexpr char kAgentsayPlayModule[] = "agentsay_player";
inline constexpr char kAgentsayPlaySymbol[] = "agentsayPlay";
