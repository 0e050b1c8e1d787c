// Where the game's files are: it opens them by relative path from the working
// folder, so a game started elsewhere (a menu entry, a double-click) first
// moves to its own.
#pragma once

#include <filesystem>

// When the working folder has no Data folder, changes to the first of
// `executableFolder` and `executableFolder / installedData` that has one
// (`installedData` empty: only the first). `executableFolder` empty means it
// is unknown, and `whyUnknown` says why. Says on stderr what it could not do.
void findDataFolder(const std::filesystem::path& executableFolder,
                    const std::filesystem::path& installedData, const char* whyUnknown);
