// Start-up in its fixed order, the main loop, and release at exit. The
// platform backend must be installed first.
#pragma once

#include <cstdint>

int32_t runGame();
