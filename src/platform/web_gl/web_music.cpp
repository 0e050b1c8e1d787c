// Music service in the page: the file handed to an <audio> element, which
// streams it (decoding it whole would take about 60 MB). A page that cannot
// play it says so on the console and plays on.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/file_read.hpp"
#include "platform/web_gl/backend_parts.hpp"

// The element lives in Module.riderozadMusic; the tests find it there.
// clang-format off
EM_JS(int, rzMusicOpen, (const uint8_t* bytes, int length, const char* name), {
  const old = Module.riderozadMusic;
  if (old) { old.pause(); URL.revokeObjectURL(old.src); }
  if (typeof Audio === "undefined") return 0;
  const blob = new Blob([HEAPU8.slice(bytes, bytes + length)], {type: "audio/mpeg"});
  const audio = new Audio(URL.createObjectURL(blob));
  audio.preload = "auto";
  const file = UTF8ToString(name);
  audio.addEventListener("error", () => {
    console.error("music: " + file + " cannot be played; the game runs without music");
  });
  Module.riderozadMusic = audio;
  return 1;
});

EM_JS(void, rzMusicRun, (), {
  const audio = Module.riderozadMusic;
  // Called every driving frame: only a paused element is asked to play, and
  // only once at a time.
  if (!audio || audio.error || audio.ended || !audio.paused || audio.riderozadAsked) return;
  audio.riderozadAsked = true;
  audio.play().then(() => { audio.riderozadAsked = false; }, (e) => {
    audio.riderozadAsked = false;
    if (e.name === "AbortError" || audio.riderozadRefused) return;
    audio.riderozadRefused = true;
    console.error("music: the page does not let it play (" + e.message + "); the game runs without music");
  });
});

EM_JS(void, rzMusicPause, (), {
  const audio = Module.riderozadMusic;
  if (audio && !audio.paused) audio.pause();
});

EM_JS(void, rzMusicClose, (), {
  const audio = Module.riderozadMusic;
  if (!audio) return;
  audio.pause();
  URL.revokeObjectURL(audio.src);
  audio.removeAttribute("src");
  delete Module.riderozadMusic;
});
// clang-format on

namespace platform::web_gl {

namespace {

// M.mp3 is about 3 MB; a file far beyond any music the game ships is refused
// rather than copied into the page.
constexpr size_t MAX_MUSIC_BYTES = 256 * 1024 * 1024;

class WebMusic : public Music {
 public:
  bool createGraph() override { return true; }
  Result renderFile(const char* path) override;
  void placeVideo(const Rect&) override {}  // a sound file has no picture
  Result run() override;
  Result pause() override;

  void shutDown() {
    rzMusicClose();
    open_ = false;
  }

 private:
  bool open_ = false;
};

Result WebMusic::renderFile(const char* path) {
  shutDown();
  if (!path) return Result::Failed;
  std::vector<uint8_t> bytes;
  std::string error;
  if (!readFileBytes(path, MAX_MUSIC_BYTES, bytes, error)) {
    std::fprintf(stderr, "riderozad: cannot play the music file %s\n", error.c_str());
    return Result::Failed;
  }
  if (!rzMusicOpen(bytes.data(), static_cast<int>(bytes.size()), path)) {
    std::fprintf(stderr, "riderozad: cannot play the music file %s: the page has no audio\n", path);
    return Result::Failed;
  }
  open_ = true;
  return Result::Ok;
}

// An element that has played to its end stays ended: play() is not called
// again on it.
Result WebMusic::run() {
  if (!open_) return Result::Failed;
  rzMusicRun();
  return Result::Ok;
}

Result WebMusic::pause() {
  if (!open_) return Result::Failed;
  rzMusicPause();
  return Result::Ok;
}

WebMusic& theMusic() {
  static WebMusic instance;
  return instance;
}

}  // namespace

Music* musicService() { return &theMusic(); }

void shutDownMusic() { theMusic().shutDown(); }

}  // namespace platform::web_gl
