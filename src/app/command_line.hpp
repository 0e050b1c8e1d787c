// What the game does with its command line, before anything else starts.
#pragma once

#include <cstdint>

// --version and --help print their answer and end the run with 0; any other
// argument gets a one-line error on stderr and 2. Returns that exit code, or
// -1 when there are no arguments and the game should start.
int32_t answerCommandLine(int argc, char** argv);
