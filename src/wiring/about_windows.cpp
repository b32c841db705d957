#include "src/wiring/about_windows.h"

namespace horalia::wiring {

AboutWindows::AboutWindows(platform::Shell& shell, platform::Dialogs& dialogs,
                           about::AboutBox::ViewFactory makeView)
    : opener_(shell, dialogs, files_, finder_),
      box_(
          QStringLiteral(HORALIA_VERSION),
          [this](const QString& talk, const QString& who) {
              if (say_) {
                  say_(talk, who);
              }
          },
          opener_, std::move(makeView)) {}

}  // namespace horalia::wiring
