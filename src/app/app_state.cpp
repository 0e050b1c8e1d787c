#include "app/app_state.hpp"

namespace {
AppState record;
}

AppState* appState = &record;

void createAppState() {
  record = AppState{};
  appState = &record;
}
