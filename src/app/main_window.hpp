// The main window and its message handling.
#pragma once

#include <cstdint>

#include "platform/system.hpp"

constexpr int DROPPED_PATH_SIZE = 260;
constexpr const char* WINDOW_CLASS_NAME = "MY_WINDOWS_CLASS";
constexpr const char* WINDOW_CAPTION = "NALIK Application";

extern bool mainWindow;  // true once the main window exists
extern char droppedFilePath[DROPPED_PATH_SIZE];

void createMainWindow();
// Handles one event taken from the queue.
void mainWindowProc(const platform::Event& event);
void resetMainWindowState();
