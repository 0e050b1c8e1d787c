// A look at the music file before any platform decoder sees it: the file
// must start as MPEG audio does, so that every build refuses the same files
// with the same words (one platform's decoder takes noise for a stream of
// silence and says nothing).
#pragma once

#include <string>

// Bytes after an optional ID3v2 tag that may come before the first frame.
constexpr int MPEG_SEARCH_BYTES = 4096;

// Why `path` is no MPEG audio, as a phrase that follows the file's name ("is
// empty", "is not MPEG audio (...)", "ends within its first frames"), or an
// empty string when it looks playable. It looks playable when, after any
// ID3v2 tags, three frame headers of one stream (MPEG 1, 2 or 2.5, layer I,
// II or III, a bit rate from the table) follow one another, each where the
// frame before ends, the first within MPEG_SEARCH_BYTES. A file that cannot
// be opened or read is also left to the platform, which says why.
std::string mpegAudioProblem(const char* path);
