// What the game does with its command line, before anything else starts.
#pragma once

#include <cstdint>

#include "platform/display_options.hpp"

// Reads the display options into `options`. --version and --help print their
// answer and end the run with 0; an argument that is not an option gets a
// one-line error on stderr and 2. Returns that exit code, or -1 when the game
// should start. `dataPlaces` ends the help: where the game looks for its data.
int32_t answerCommandLine(int argc, char** argv, const char* dataPlaces,
                          platform::DisplayOptions& options);
