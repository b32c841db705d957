// Everything the program needs from the outside world, built once by the composition root.
#pragma once

#include "src/platform/clock.h"
#include "src/platform/dialogs.h"
#include "src/platform/engine_factory.h"
#include "src/platform/full_screen.h"
#include "src/platform/pause.h"
#include "src/platform/program.h"
#include "src/platform/screen_metrics.h"
#include "src/platform/settings_store.h"
#include "src/platform/shell.h"
#include "src/platform/time_changes.h"

namespace horalia::platform {

struct Platform {
    SettingsStore& settings;
    Clock& clock;
    Pause& pause;
    Shell& shell;
    ScreenMetrics& screen;
    EngineFactory& engines;
    Dialogs& dialogs;
    Program& program;
    TimeChanges& timeChanges;
    FullScreen& fullScreen;
};

}  // namespace horalia::platform
