#include "audio/background_music.hpp"

#include <cstdio>

#include "app/app_state.hpp"
#include "platform/services.hpp"

platform::Music* mediaControl = nullptr;

void startMusic() {
  if (appState->afterReset != 0) return;
  platform::Music* music = platform::services().music;
  if (!music || !music->createGraph()) {
    std::fprintf(stderr, "music: no playback graph could be made; the game runs without music\n");
    return;
  }
  const platform::Result rendered = music->renderFile(MUSIC_FILE);
  const platform::Rect clientArea = platform::services().system->clientRect();
  mediaControl = music;
  music->placeVideo(clientArea);
  if (!platform::succeeded(rendered))
    std::fprintf(stderr, "music: %s cannot be played; the game runs without music\n", MUSIC_FILE);
}

void resetMusicState() { mediaControl = nullptr; }
