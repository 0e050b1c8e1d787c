// The background music: one graph, built once per run.
#pragma once

#include "platform/music.hpp"

constexpr const char* MUSIC_FILE = "M.mp3";

// The graph's controls; null until startMusic has built the graph, and null
// for the whole run when no graph could be made.
extern platform::Music* mediaControl;

// Builds the graph for M.mp3, stopped; does nothing once a device reset has
// started. When the file cannot be played, or is no MPEG audio (and is then
// never handed to the platform), the graph stays, silent.
void startMusic();
void resetMusicState();
