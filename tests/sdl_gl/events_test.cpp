// Window events as the game sees them, and the two key numberings.
#include <SDL2/SDL.h>

#include <ctime>
#include <set>

#include "gl_test_support.hpp"
#include "platform/sdl_gl/key_codes.hpp"
#include "platform/sdl_gl/window_state.hpp"

namespace rztest {
namespace {

using sdl_gl::directInputCode;
using sdl_gl::virtualKeyCode;

TEST(KeyCodes, DirectInputCodesOfTheKeysTheGameAndPlayersUse) {
  EXPECT_EQ(directInputCode(SDL_SCANCODE_ESCAPE), 0x01);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_RETURN), 0x1C);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_SPACE), 0x39);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_UP), 0xC8);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_DOWN), 0xD0);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_LEFT), 0xCB);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_RIGHT), 0xCD);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_A), 0x1E);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_M), 0x32);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_0), 0x0B);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_F10), 0x44);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_F11), 0x57);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_KP_ENTER), 0x9C);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_KP_0), 0x52);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_RCTRL), 0x9D);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_RSHIFT), 0x36);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_RALT), 0xB8);
  EXPECT_EQ(directInputCode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(directInputCode(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 3)), 0);
  // No two keys share a code: a slip in the table would merge two keys.
  std::set<int> seen;
  int mapped = 0;
  for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
    const int code = directInputCode(static_cast<SDL_Scancode>(sc));
    if (!code) continue;
    ++mapped;
    EXPECT_TRUE(seen.insert(code).second) << "code " << code << " twice";
  }
  EXPECT_GE(mapped, 100);
}

SDL_Keysym keysym(SDL_Scancode sc, SDL_Keycode sym) {
  SDL_Keysym k{};
  k.scancode = sc;
  k.sym = sym;
  return k;
}

TEST(KeyCodes, VirtualKeysFollowTheLayoutForLettersAndDigits) {
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE)), 0x1Bu);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_RETURN, SDLK_RETURN)), 0x0Du);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_SPACE, SDLK_SPACE)), 0x20u);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_UP, SDLK_UP)), 0x26u);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_F1, SDLK_F1)), 0x70u);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_F12, SDLK_F12)), 0x7Bu);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT)), 0x10u);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_B, SDLK_b)), 0x42u);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_7, SDLK_7)), 0x37u);
  // A French keyboard: the key in the Q place types 'a'; the 1 key types '&'.
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_Q, SDLK_a)), 0x41u);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_1, SDLK_AMPERSAND)), 0x31u);
  EXPECT_EQ(virtualKeyCode(keysym(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN)), 0u);
}

TEST(PictureFit, WideScreenGetsBarsLeftAndRight) {
  // 1280x720 holds a 960x720 picture of 4:3, 160 pixels in from each side.
  const gl::PictureFit wide = gl::fitPicture(1024, 768, 1280, 720);
  EXPECT_EQ(wide.x, 160);
  EXPECT_EQ(wide.y, 0);
  EXPECT_EQ(wide.width, 960);
  EXPECT_EQ(wide.height, 720);
  // 1280x1024 (5:4) holds 1280x960, 32 pixels down.
  const gl::PictureFit tall = gl::fitPicture(1024, 768, 1280, 1024);
  EXPECT_EQ(tall.x, 0);
  EXPECT_EQ(tall.y, 32);
  EXPECT_EQ(tall.width, 1280);
  EXPECT_EQ(tall.height, 960);
  const gl::PictureFit same = gl::fitPicture(1024, 768, 1024, 768);
  EXPECT_EQ(same.width, 1024);
  EXPECT_EQ(same.height, 768);

  // Mouse points: 1024 picture pixels over 960 window pixels.
  int32_t x = 0, y = 0;
  gl::windowToPicture(wide, 1024, 768, 160, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  gl::windowToPicture(wide, 1024, 768, 640, 360, x, y);  // centre
  EXPECT_EQ(x, 512);
  EXPECT_EQ(y, 384);
  gl::windowToPicture(wide, 1024, 768, 0, 719, x, y);  // in the left bar
  EXPECT_EQ(x, -171);                                  // floor(-160 * 1024 / 960)
  EXPECT_EQ(y, 766);                                   // floor(719 * 768 / 720)
  // Packed as the window message packs it; the game reads -171 back.
  const uint32_t packed = sdl_gl::packPosition(x, y);
  EXPECT_EQ(packed, (0xFFFFu - 170u) | (766u << 16));
  EXPECT_EQ(static_cast<int16_t>(packed & 0xFFFF), -171);
}

class Events : public DeviceTest {
 protected:
  static void pushKey(SDL_Scancode sc, SDL_Keycode sym) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym = keysym(sc, sym);
    SDL_PushEvent(&e);
  }
  static void pushDrop(uint32_t type, const char* file) {
    SDL_Event e{};
    e.type = type;
    e.drop.file = file ? SDL_strdup(file) : nullptr;
    SDL_PushEvent(&e);
  }
  void drain() {
    Event e;
    while (sys().peekEvent(e)) {
    }
  }
};

TEST_F(Events, QuitComesBehindWhatIsPending) {
  drain();
  pushKey(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
  sys().postQuit(3);
  pushKey(SDL_SCANCODE_X, SDLK_x);
  Event e;
  ASSERT_TRUE(sys().peekEvent(e));
  EXPECT_EQ(e.type, EventType::KeyDown);
  EXPECT_EQ(e.virtualKey, 0x1Bu);
  ASSERT_TRUE(sys().peekEvent(e));
  EXPECT_EQ(e.type, EventType::Quit);
  EXPECT_EQ(e.exitCode, 3);
  ASSERT_TRUE(sys().peekEvent(e));
  EXPECT_EQ(e.virtualKey, static_cast<uint32_t>('X'));
  EXPECT_FALSE(sys().peekEvent(e));
}

TEST_F(Events, WaitSleepsUntilTheTimeoutAndKeepsWhatItFinds) {
  drain();
  const uint64_t start = sys().timeUs();
  const std::clock_t cpuStart = std::clock();
  EXPECT_FALSE(sys().waitForEventUs(200000));
  const uint64_t waited = sys().timeUs() - start;
  const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  EXPECT_GE(waited, 200000u);
  EXPECT_LT(cpuMs, 100.0);  // slept, not spun

  pushKey(SDL_SCANCODE_A, SDLK_a);
  EXPECT_TRUE(sys().waitForEventUs(5000000));
  EXPECT_TRUE(sys().waitForEventUs(5000000));  // still pending: nothing was lost
  Event e;
  ASSERT_TRUE(sys().peekEvent(e));
  EXPECT_EQ(e.type, EventType::KeyDown);
  EXPECT_EQ(e.virtualKey, static_cast<uint32_t>('A'));
  EXPECT_FALSE(sys().peekEvent(e));
}

TEST_F(Events, CloseDropsAndMouseMoves) {
  drain();
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(sdl_gl::deviceWindow());
  SDL_PushEvent(&close);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  pushDrop(SDL_DROPBEGIN, nullptr);
  pushDrop(SDL_DROPFILE, "/tmp/first.x");
  pushDrop(SDL_DROPFILE, "/tmp/second.x");
  pushDrop(SDL_DROPCOMPLETE, nullptr);
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.x = 5;  // the offscreen window is the picture's own size
  move.motion.y = 7;
  SDL_PushEvent(&move);

  Event e;
  std::vector<EventType> types;
  std::vector<std::string> paths;
  uint32_t packed = 0;
  while (sys().peekEvent(e)) {
    types.push_back(e.type);
    if (e.type == EventType::DropFile) paths.push_back(e.path);
    if (e.type == EventType::MouseMove) packed = e.packedPosition;
  }
  const std::vector<EventType> want = {
      EventType::Close,    EventType::Close,        EventType::DropBegin, EventType::DropFile,
      EventType::DropFile, EventType::DropComplete, EventType::MouseMove};
  EXPECT_EQ(types, want);
  EXPECT_EQ(paths, (std::vector<std::string>{"/tmp/first.x", "/tmp/second.x"}));
  EXPECT_EQ(packed, 5u | (7u << 16));
  EXPECT_EQ(sys().clientRect().right, 1024);
  EXPECT_EQ(sys().clientRect().bottom, 768);
}

}  // namespace
}  // namespace rztest
