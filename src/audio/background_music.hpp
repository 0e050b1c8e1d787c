// The background music: one graph, built once per run.
#pragma once

#include "platform/music.hpp"

// The graph's controls; null until startMusic has built the graph.
extern platform::Music* mediaControl;

void startMusic();
void resetMusicState();
