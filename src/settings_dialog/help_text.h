// The text of the dialog's Help page.
#pragma once

#include <QString>

namespace horalia::settings_dialog {

QString helpText();

}  // namespace horalia::settings_dialog
