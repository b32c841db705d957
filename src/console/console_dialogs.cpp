#include "src/console/console_dialogs.h"

#include <QCoreApplication>

namespace horalia::console {

platform::Answer ConsoleDialogs::messageBox(const QString& text, const QString& title, int styleNumber) {
    const bool yesNo = (styleNumber & 0x0f) == platform::style::kYesNo;
    platform::Answer answer = yesNo ? platform::Answer::No : platform::Answer::Ok;
    if (!answers.isEmpty()) {
        answer = answers.takeFirst();
        if (!yesNo) {
            answer = platform::Answer::Ok;
        }
    }
    const QString answerText = answer == platform::Answer::Yes  ? QStringLiteral("Yes")
                               : answer == platform::Answer::No ? QStringLiteral("No")
                                                                : QStringLiteral("OK");
    sink_.line(QStringLiteral("MsgBox"), answerText,
               {text, title.isEmpty() ? QStringLiteral("Horalia Deluxe") : title, qint64(styleNumber)});
    return answer;
}

QString ConsoleDialogs::openFile(const QString& filter, const QString& initialFolder) {
    const QString chosen = files.isEmpty() ? QString() : files.takeFirst();
    sink_.line(QStringLiteral("dia_choose"), QStringLiteral("Open"), {filter, initialFolder, chosen});
    return chosen;
}

void ConsoleDialogs::beep() {
    sink_.line(QStringLiteral("Beep"), QString(), {});
}

void ConsoleProgram::endProgram() {
    if (!ending_) {
        sink_.line(QStringLiteral("Program"), QStringLiteral("End"), {});
    }
    ending_ = true;
    QCoreApplication::exit(0);
}

}  // namespace horalia::console
