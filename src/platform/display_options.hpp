// How the player asked the game to be shown: options only, nothing is kept
// between runs. Each entry reads them and gives them to its backend, which
// applies them under the game: the game still sees its 1024x768 full-screen
// back buffer whatever is chosen here.
#pragma once

namespace platform {

struct DisplayOptions {
  // Start in a resizable window instead of full screen.
  bool window = false;
  // Full screen keeps the desktop's display mode instead of switching it to
  // the back buffer's size.
  bool desktop = false;
  // Draw the scene at the size it is shown, in physical pixels, instead of
  // scaling the 1024x768 picture.
  bool sharp = false;
};

}  // namespace platform
