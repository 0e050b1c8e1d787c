// Music service: one playback graph for one file. A file that has played to
// its end stays ended; running a running graph changes nothing.
#pragma once

#include "platform/types.hpp"

namespace platform {

class Music {
 public:
  virtual ~Music() = default;
  // Builds an empty, stopped graph. False when no graph can be made.
  virtual bool createGraph() = 0;
  // Builds the playback chain for a file into the graph, stopped.
  virtual Result renderFile(const char* path) = 0;
  // Places any video picture of the file over the given client rectangle.
  virtual void placeVideo(const Rect& clientArea) = 0;
  virtual Result run() = 0;
  virtual Result pause() = 0;
};

}  // namespace platform
