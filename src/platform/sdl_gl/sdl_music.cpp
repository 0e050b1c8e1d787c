// Music service on SDL2_mixer: one piece, played once through.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <mpg123.h>

#include <cstdio>

#include "platform/file_read.hpp"
#include "platform/sdl_gl/backend_parts.hpp"

// SDL_mixer makes its MP3 decoders with mpg123_new and never sets their
// quiet flag, so a damaged file fills standard error with libmpg123's notes.
// This definition comes first in the lookup: it makes the decoder as asked
// and sets the flag; our own message says what failed.
extern "C" mpg123_handle* mpg123_new(const char* decoder, int* error) {
  static const auto make = reinterpret_cast<decltype(&mpg123_new)>(dlsym(RTLD_NEXT, "mpg123_new"));
  static const auto set =
      reinterpret_cast<decltype(&mpg123_param)>(dlsym(RTLD_DEFAULT, "mpg123_param"));
  if (make == nullptr) {
    if (error != nullptr) *error = MPG123_ERR;
    return nullptr;
  }
  mpg123_handle* handle = make(decoder, error);
  if (handle != nullptr && set != nullptr) set(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  return handle;
}

namespace platform::sdl_gl {

namespace {

bool openMixer() { return Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) == 0; }

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card ALSA prints a dozen lines of its own; the one line we
// print when falling back to silence is what a player needs. SDL loads ALSA,
// so its handler is set through the already loaded library.
void quietenAlsa() {
  const auto set = reinterpret_cast<decltype(&snd_lib_error_set_handler)>(
      dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler"));
  if (set != nullptr) set(ignoreAlsaError);
}

class SdlMusic : public Music {
 public:
  bool createGraph() override;
  Result renderFile(const char* path) override;
  void placeVideo(const Rect&) override {}  // a sound file has no picture
  Result run() override;
  Result pause() override;

  void shutDown();

 private:
  // True once the piece has played to its end; it stays ended.
  bool ended();

  bool audioOpen_ = false;
  Mix_Music* music_ = nullptr;
  bool started_ = false;
  bool paused_ = false;
};

bool SdlMusic::createGraph() {
  if (audioOpen_) return true;
  quietenAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && openMixer()) {
    audioOpen_ = true;
  } else {
    // No sound card: play on into SDL's dummy output, silently.
    std::fprintf(stderr, "riderozad: no audio output (%s); the game runs without sound\n",
                 SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // Above an SDL_AUDIODRIVER from the environment, which named the failed one.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || !openMixer()) {
      std::fprintf(stderr, "riderozad: not even the dummy audio output opens: %s\n",
                   SDL_GetError());
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    audioOpen_ = true;
  }
  Mix_Init(MIX_INIT_MP3);
  return true;
}

Result SdlMusic::renderFile(const char* path) {
  if (!audioOpen_ || !path) return Result::Failed;
  if (music_) {
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
  }
  music_ = nullptr;
  started_ = paused_ = false;
  // SDL_mixer calls a folder a corrupt file with bad tags.
  const std::string folder = folderProblem(path);
  if (!folder.empty()) {
    std::fprintf(stderr, "riderozad: cannot play the music file %s\n", folder.c_str());
    return Result::Failed;
  }
  music_ = Mix_LoadMUS(path);
  if (!music_) {
    std::fprintf(stderr, "riderozad: cannot play the music file %s: %s\n", path, Mix_GetError());
    return Result::Failed;
  }
  return Result::Ok;
}

bool SdlMusic::ended() { return started_ && !paused_ && !Mix_PlayingMusic(); }

Result SdlMusic::run() {
  if (!music_) return Result::Failed;
  if (ended()) return Result::Ok;
  if (!started_) {
    // Paused before it ever ran (the device was lost on the title screen):
    // it still starts from the beginning.
    if (Mix_PlayMusic(music_, 1) != 0) {
      std::fprintf(stderr, "riderozad: the music does not start: %s\n", Mix_GetError());
      return Result::Failed;
    }
    started_ = true;
    paused_ = false;
  } else if (paused_) {
    Mix_ResumeMusic();
    paused_ = false;
  }
  return Result::Ok;
}

Result SdlMusic::pause() {
  if (!music_) return Result::Failed;
  if (ended()) return Result::Ok;
  if (started_ && !paused_) Mix_PauseMusic();
  paused_ = true;
  return Result::Ok;
}

void SdlMusic::shutDown() {
  if (music_) {
    Mix_HaltMusic();
    Mix_FreeMusic(music_);
  }
  music_ = nullptr;
  started_ = paused_ = false;
  if (audioOpen_) {
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  audioOpen_ = false;
}

SdlMusic& theMusic() {
  static SdlMusic instance;
  return instance;
}

}  // namespace

Music* musicService() { return &theMusic(); }

void shutDownMusic() { theMusic().shutDown(); }

}  // namespace platform::sdl_gl
