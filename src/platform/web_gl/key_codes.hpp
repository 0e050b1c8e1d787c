// The page's key names (KeyboardEvent.code) as DirectInput key codes, the
// numbering of the game's key state.
#pragma once

#include <cstdint>

namespace platform::web_gl {

// 0 for a key without a DirectInput code.
uint8_t directInputCode(const char* code);

}  // namespace platform::web_gl
