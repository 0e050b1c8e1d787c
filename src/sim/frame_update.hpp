// The per-frame game logic: the title screen, then one driving frame per call.
#pragma once

void updateFrame();
