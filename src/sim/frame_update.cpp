#include "sim/frame_update.hpp"

void updateFrame() {}
