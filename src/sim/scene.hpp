// The scene set-up: lane files, every slot's model, the title font, the music
// graph, the traffic cars' and the camera's start.
#pragma once

void setUpScene();
