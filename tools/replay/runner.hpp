// Runs a key script through the game's own start-up and frames on the null
// backend, in the current working folder, printing the state after each frame.
#pragma once

#include <cstdio>
#include <vector>

#include "script.hpp"

// 0 when every frame ran, 1 when the game could not start or the output
// could not be written (the cause is on stderr).
int runReplay(const std::vector<ScriptStep>& steps, std::FILE* out);
