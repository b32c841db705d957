#include "src/setup/agreement_text.h"

namespace horalia::setup {

QString agreementText() {
    return QStringLiteral(
        "HORALIA DELUXE 3.6.1\n"
        "Copyright (c) the Horalia Deluxe developers. All rights reserved.\n"
        "\n"
        "TERMS OF USE\n"
        "You may install and use Horalia Deluxe on any number of computers, for yourself, your family, your "
        "school or your work. You may make copies of it for your own use and for back-up. You may not sell "
        "it, "
        "and you may not pass off a changed copy as the original.\n"
        "\n"
        "NO WARRANTY\n"
        "Horalia Deluxe is provided \"as is\", without warranty of any kind, express or implied, including "
        "the warranties of merchantability and fitness for a particular purpose. The whole risk as to its "
        "quality and performance is with you. Do not rely on its alarms where a missed alarm could do harm.\n"
        "\n"
        "LIMITATION OF LIABILITY\n"
        "In no event shall the authors be liable for any damages whatsoever, including lost time, lost data "
        "or lost sleep, arising out of the use of or inability to use Horalia Deluxe, even if they have been "
        "told such damages could happen.\n"
        "\n"
        "DISTRIBUTION\n"
        "You may give away unchanged copies of the complete program, with its characters and this agreement, "
        "free of charge, on disks, networks or web sites. You may not charge for it beyond the cost of the "
        "medium.\n"
        "\n"
        "Press the I AGREE button to accept these terms and start using Horalia Deluxe.");
}

}  // namespace horalia::setup
