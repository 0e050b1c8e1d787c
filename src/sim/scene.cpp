#include "sim/scene.hpp"

void setUpScene() {}
