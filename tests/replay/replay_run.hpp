// Runs the replay binary in a folder and reads back what it printed.
#pragma once

#include <string>
#include <vector>

struct ReplayRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The fixture folder (hand-made track and lanes), the scripts and the
// expected outputs, all in the source tree.
std::string fixtureDir();
std::string scriptPath(const std::string& name);

// Runs `replay script` with `folder` as the working folder.
ReplayRun runReplay(const std::string& folder, const std::string& script);

// The printed frames: a header of column names, then one row per frame.
struct ReplayTable {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;

  // Row of frame `frame` (frames count from 1); fails the test if absent.
  const std::vector<std::string>& row(int frame) const;
  std::string text(int frame, const std::string& column) const;
  double number(int frame, const std::string& column) const;
};
ReplayTable parseReplay(const std::string& out);

// Compares the output with expected/NAME.tsv. With RZ_REPLAY_UPDATE=1 in the
// environment it writes the file instead (review the diff before committing).
void expectMatchesExpected(const std::string& name, const std::string& out);

// A fresh empty folder under /tmp, removed by the destructor.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  void write(const std::string& name, const std::string& text) const;

 private:
  std::string path_;
};
