// Shows characters on the desktop with the desktop engine: for pictures of a character speaking, and for
// measuring what the engine costs (time to the first frame, processor time while idling and while hidden).
//
//   agentshow [options] FILE.acs [FILE.acs]
//     --at X,Y          where the first character stands (the second stands 200 pixels to its right)
//     --say TEXT        the first character says this
//     --shot FILE       a picture of the screen around the characters and the balloon, as a PNG
//     --words N         take the picture once N words are in the balloon (default: when speech ends)
//     --idle SECONDS    measure processor time while the characters stand and idle, then while hidden
//     --menu ITEMS      open the first character's pop-up menu for the picture: "Heading;Command;Command"
//     --options FILE    a picture of the character options window
//     --show-times N    measure Show to the first frame in the window, N times
#include <sys/resource.h>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "agent/render/desktop_engine.h"
#include "agent/render/options_window.h"

using agent::render::DesktopCharacter;
using agent::render::DesktopControl;

namespace {

double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// Runs the event loop until done() holds or the time is up; false on time-out. Looks every few milliseconds,
// sleeping in between, so the waiting itself costs next to nothing.
bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer t;
    t.start();
    bool ok = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            ok = true;
            loop.quit();
        } else if (t.elapsed() > timeoutMs) {
            loop.quit();
        }
    });
    poll.start(2);
    loop.exec();
    return ok;
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int wordsShown(DesktopCharacter* c) {
    return int(c->balloon()
                   .visibleLines()
                   .join(QLatin1Char(' '))
                   .split(QLatin1Char(' '), Qt::SkipEmptyParts)
                   .size());
}

bool settled(DesktopCharacter* c) {
    return !c->player().isBusy();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions({{"at", "Where the first character stands.", "X,Y", "200,300"},
                       {"say", "What the first character says.", "TEXT"},
                       {"shot", "Picture to take.", "FILE"},
                       {"words", "Words in the balloon before the picture.", "N", "0"},
                       {"idle", "Seconds to measure idling and hidden.", "SECONDS", "0"},
                       {"menu", "Pop-up menu to open: heading;command;...", "ITEMS"},
                       {"options", "Picture of the options window.", "FILE"},
                       {"show-times", "Times to measure Show.", "N", "0"}});
    parser.addPositionalArgument("files", "Character files.");
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty() || files.size() > 2) {
        std::fprintf(stderr, "agentshow: give one or two character files\n");
        return 2;
    }

    QTemporaryDir home;
    auto engine = agent::render::DesktopEngine::create(QString(), home.filePath("engine.ini"));
    std::unique_ptr<DesktopControl> control = engine->makeControl();
    QList<DesktopCharacter*> cast;
    const QStringList at = parser.value("at").split(',');
    QPoint place(at.value(0).toInt(), at.value(1).toInt());
    for (int i = 0; i < files.size(); ++i) {
        const QString id = QStringLiteral("c%1").arg(i);
        if (const agent::Status loaded = control->load(id, QFileInfo(files[i]).absoluteFilePath()); !loaded) {
            std::fprintf(stderr, "agentshow: %s\n", qPrintable(loaded.error()));
            return 1;
        }
        DesktopCharacter* c = control->character(id);
        c->moveTo(place.x(), place.y());
        place.rx() += c->width() + 200;
        cast << c;
    }

    if (const int times = parser.value("show-times").toInt(); times > 0) {
        for (DesktopCharacter* c : cast) {
            QList<double> ms;
            for (int i = 0; i < times; ++i) {
                double paintedMs = -1;
                QElapsedTimer t;
                auto link = QObject::connect(&c->window(), &agent::render::CharacterWindow::painted, [&] {
                    if (paintedMs < 0) {
                        paintedMs = t.nsecsElapsed() / 1e6;
                    }
                });
                t.start();
                c->show();
                const bool ok = waitFor([&] { return paintedMs >= 0; }, 5000);
                ms << paintedMs;
                QObject::disconnect(link);
                if (!ok) {
                    std::fprintf(stderr, "agentshow: %s never appeared\n", qPrintable(c->name()));
                    return 1;
                }
                waitFor([&] { return settled(c); }, 30000);
                c->hide();
                waitFor([&] { return settled(c); }, 30000);
            }
            const double first = ms.first();
            std::sort(ms.begin(), ms.end());
            std::printf("%s: Show to first frame: first %.2f ms, median %.2f ms, worst %.2f ms (%d shows)\n",
                        qPrintable(c->name()), first, ms[ms.size() / 2], ms.last(), times);
        }
    }

    const QString text = parser.value("say");
    if (parser.isSet("menu")) {
        const QStringList items = parser.value("menu").split(';');
        cast[0]->setCommandsCaption(items.value(0));
        for (int i = 1; i < items.size(); ++i) {
            cast[0]->addCommand({QStringLiteral("c%1").arg(i), items[i], {}, true, true});
        }
    }
    if (!text.isEmpty() || parser.isSet("shot") || parser.value("idle").toInt() > 0) {
        for (DesktopCharacter* c : cast) {
            c->show();
        }
        waitFor([&] { return std::all_of(cast.begin(), cast.end(), settled); }, 30000);
    }
    if (!text.isEmpty()) {
        cast[0]->speak(text);
        const int words = parser.value("words").toInt();
        waitFor([&] { return cast[0]->player().isSpeaking(); }, 10000);
        if (words > 0) {
            waitFor([&] { return wordsShown(cast[0]) >= words || !cast[0]->player().isSpeaking(); }, 30000);
        } else {
            waitFor([&] { return !cast[0]->player().isSpeaking(); }, 60000);
        }
    }
    if (parser.isSet("menu")) {
        DesktopCharacter* c = cast[0];
        c->openMenu(c->window().geometry().center());
        waitFor([&] { return c->popupMenu() && c->popupMenu()->isVisible(); }, 5000);
    }
    if (parser.isSet("shot")) {
        pause(50);  // let the last frame reach the display
        QRect area;
        if (QMenu* menu = cast[0]->popupMenu()) {
            area |= menu->geometry();
        }
        for (DesktopCharacter* c : cast) {
            area |= c->window().geometry();
            if (c->balloon().isVisible()) {
                area |= c->balloon().geometry();
            }
        }
        area.adjust(-20, -20, 20, 20);
        QScreen* screen = QGuiApplication::primaryScreen();
        area &= screen->geometry();
        const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        if (!shot.save(parser.value("shot"))) {
            std::fprintf(stderr, "agentshow: cannot write %s\n", qPrintable(parser.value("shot")));
            return 1;
        }
    }
    if (parser.isSet("options")) {
        control->showPropertySheet();
        agent::render::OptionsWindow* window = agent::render::OptionsWindow::find(engine->options());
        if (!window) {
            std::fprintf(stderr, "agentshow: the options window did not open\n");
            return 1;
        }
        waitFor([&] { return window->isVisible(); }, 5000);
        pause(100);
        if (!window->grab().save(parser.value("options"))) {
            std::fprintf(stderr, "agentshow: cannot write %s\n", qPrintable(parser.value("options")));
            return 1;
        }
    }
    if (const int seconds = parser.value("idle").toInt(); seconds > 0) {
        waitFor([&] { return std::all_of(cast.begin(), cast.end(), settled); }, 60000);
        double before = cpuMs();
        pause(seconds * 1000);
        const double visible = cpuMs() - before;
        for (DesktopCharacter* c : cast) {
            c->stop();
            c->hide();
        }
        waitFor([&] { return std::all_of(cast.begin(), cast.end(), settled); }, 30000);
        before = cpuMs();
        pause(seconds * 1000);
        const double hidden = cpuMs() - before;
        std::printf("%d characters idling for %d s: %.1f ms processor time (%.3f%% of one core)\n",
                    int(cast.size()), seconds, visible, visible / (seconds * 10.0));
        std::printf("the same hidden for %d s: %.1f ms processor time (%.3f%% of one core)\n", seconds,
                    hidden, hidden / (seconds * 10.0));
    }
    return 0;
}
