// The replay's output: one tab-separated line of the driving state per frame.
#pragma once

#include <cstdint>
#include <cstdio>

// The '#' line that names the columns.
void printStateColumns(std::FILE* out);
// The state after frame `frame` (frames count every frame-driver call from 1).
void printStateLine(std::FILE* out, uint64_t frame);
