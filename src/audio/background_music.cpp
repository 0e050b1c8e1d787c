#include "audio/background_music.hpp"

platform::Music* mediaControl = nullptr;

void startMusic() {}
void resetMusicState() { mediaControl = nullptr; }
