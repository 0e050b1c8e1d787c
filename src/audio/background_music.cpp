#include "audio/background_music.hpp"

#include <cstdio>
#include <string>

#include "app/app_state.hpp"
#include "audio/mpeg_audio.hpp"
#include "platform/services.hpp"

platform::Music* mediaControl = nullptr;

void startMusic() {
  if (appState->afterReset != 0) return;
  platform::Music* music = platform::services().music;
  if (!music || !music->createGraph()) {
    std::fprintf(stderr, "music: no playback graph could be made; the game runs without music\n");
    return;
  }
  // Looked at here rather than by the platform's decoder, which may take any
  // bytes for a silent stream: every build refuses the same files alike.
  const std::string problem = mpegAudioProblem(MUSIC_FILE);
  const platform::Result rendered =
      problem.empty() ? music->renderFile(MUSIC_FILE) : platform::Result::Failed;
  const platform::Rect clientArea = platform::services().system->clientRect();
  mediaControl = music;
  music->placeVideo(clientArea);
  if (!problem.empty())
    std::fprintf(stderr, "music: %s %s; the game runs without music\n", MUSIC_FILE,
                 problem.c_str());
  else if (!platform::succeeded(rendered))
    std::fprintf(stderr, "music: %s cannot be played; the game runs without music\n", MUSIC_FILE);
}

void resetMusicState() { mediaControl = nullptr; }
