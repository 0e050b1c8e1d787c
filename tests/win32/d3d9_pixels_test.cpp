// The GL device's hand-worked pixel cases (lighting, clamping, the colour
// key and alpha test, culling, depth, transforms), run unchanged on the
// Direct3D 9 device: the numbers come from the fixed-function rules, so both
// devices must meet the same ones.
#define RZ_DEVICE_TEST_SUPPORT_INCLUDED
#include "d3d9_test_support.hpp"

#include "../sdl_gl/pixels_test.cpp"
