// The terms the user accepts on the first run.
#pragma once

#include <QString>

namespace horalia::setup {

// Title and rights notice, terms of use, no warranty, limitation of liability, distribution, and how to
// accept.
QString agreementText();

}  // namespace horalia::setup
