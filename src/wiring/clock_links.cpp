#include "src/wiring/clock_links.h"

namespace horalia::wiring {

settings_dialog::ClockLink settingsClockLink(clock_window::ClockController& controller, core::ClockView& view,
                                             clock_window::AppWindows& windows, ShownColours colours,
                                             QStringList restartArguments) {
    settings_dialog::ClockLink link;
    link.say = [&controller](const QString& talk, const QString& who) { controller.say(talk, who); };
    link.view = &view;
    link.timeForeColour = std::move(colours.fore);
    link.timeBackColour = std::move(colours.back);
    link.newcharacter = [&controller] { return controller.newcharacter(); };
    link.newcharacter2 = [&controller] { return controller.newcharacter2(); };
    link.unloadClock = [&controller] { controller.unload(); };
    link.closeDialog = [&windows] { windows.closeSettings(); };
    link.restartArguments = std::move(restartArguments);
    return link;
}

setup::New_User::Links newUserLinks(clock_window::ClockController& controller, bool anotherInstance,
                                    std::function<void()> showClock) {
    setup::New_User::Links links;
    links.anotherInstance = [anotherInstance] { return anotherInstance; };
    links.showClock = std::move(showClock);
    links.checkboxes = [&controller] { controller.checkboxes(); };
    return links;
}

}  // namespace horalia::wiring
