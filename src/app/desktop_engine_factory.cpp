#include "src/app/desktop_engine_factory.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "src/platform/ini_settings_store.h"
#include "src/platform/paths.h"

namespace horalia::app {

DesktopEngineFactory::DesktopEngineFactory()
    : engine_(std::make_shared<agent::DeferredEngine>([] {
          return agent::loadDesktopEngine(
              QCoreApplication::applicationDirPath(), platform::characterFolders(),
              QFileInfo(platform::IniSettingsStore::defaultFilePath()).absolutePath() +
                  QStringLiteral("/engine.ini"));
      })) {}

void DesktopEngineFactory::prepare() {
    (void)engine_->engine();
}

std::unique_ptr<agent::Control> DesktopEngineFactory::create(const QString&) {
    return engine_->makeControl();
}

}  // namespace horalia::app
