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
//     --statements N    the characters say N statements with gestures, and resident memory is printed
//     --warm-up N       ... counting the growth from the Nth statement on (default 200)
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
#include <optional>

#include "agent/render/desktop_engine.h"
#include "agent/render/options_window.h"
#include "agent/result.h"
#include "agentshow_soak.h"

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

// What the command line asks for.
struct Options {
    QStringList files;
    QPoint at;
    QString say;
    std::optional<QString> shot;
    int words = 0;
    int idleSeconds = 0;
    std::optional<QStringList> menu;
    std::optional<QString> optionsShot;
    int showTimes = 0;
    int statements = 0;
    int warmUp = 0;
    std::optional<std::uint32_t> seed;
};

// Exits on --help; nothing when the files are not one or two.
std::optional<Options> parseOptions(const QApplication& app) {
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOptions(
        {{"at", "Where the first character stands.", "X,Y", "200,300"},
         {"say", "What the first character says.", "TEXT"},
         {"shot", "Picture to take.", "FILE"},
         {"words", "Words in the balloon before the picture.", "N", "0"},
         {"idle", "Seconds to measure idling and hidden.", "SECONDS", "0"},
         {"menu", "Pop-up menu to open: heading;command;...", "ITEMS"},
         {"options", "Picture of the options window.", "FILE"},
         {"show-times", "Times to measure Show.", "N", "0"},
         {"statements", "Statements to say, printing resident memory.", "N", "0"},
         {"warm-up", "Statements before memory growth counts.", "N", "200"},
         {"seed", "Seed for the characters' random choices (default: a new one each run).", "N"}});
    parser.addPositionalArgument("files", "Character files.");
    parser.process(app);
    Options options;
    options.files = parser.positionalArguments();
    if (options.files.isEmpty() || options.files.size() > 2) {
        return std::nullopt;
    }
    const QStringList at = parser.value("at").split(',');
    options.at = QPoint(at.value(0).toInt(), at.value(1).toInt());
    options.say = parser.value("say");
    if (parser.isSet("shot")) {
        options.shot = parser.value("shot");
    }
    options.words = parser.value("words").toInt();
    options.idleSeconds = parser.value("idle").toInt();
    if (parser.isSet("seed")) {
        options.seed = parser.value("seed").toUInt();
    }
    if (parser.isSet("menu")) {
        options.menu = parser.value("menu").split(';');
    }
    if (parser.isSet("options")) {
        options.optionsShot = parser.value("options");
    }
    options.showTimes = parser.value("show-times").toInt();
    options.statements = parser.value("statements").toInt();
    options.warmUp = parser.value("warm-up").toInt();
    return options;
}

// The characters, loaded and placed side by side.
agent::Result<QList<DesktopCharacter*>> loadCast(DesktopControl& control, const Options& options) {
    QList<DesktopCharacter*> cast;
    QPoint place = options.at;
    for (int i = 0; i < options.files.size(); ++i) {
        const QString id = QStringLiteral("c%1").arg(i);
        if (const agent::Status loaded = control.load(id, QFileInfo(options.files[i]).absoluteFilePath());
            !loaded) {
            return loaded.failure();
        }
        DesktopCharacter* c = control.character(id);
        c->moveTo(place.x(), place.y());
        place.rx() += c->width() + 200;
        cast << c;
    }
    return cast;
}

bool allSettled(const QList<DesktopCharacter*>& cast) {
    return std::all_of(cast.begin(), cast.end(), settled);
}

agent::Status measureShows(const QList<DesktopCharacter*>& cast, int times) {
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
                return agent::fail(QStringLiteral("%1 never appeared").arg(c->name()));
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
    return {};
}

// The first character says the text; returns once the balloon holds `words` words, or speech has ended.
void speak(DesktopCharacter* c, const QString& text, int words) {
    c->speak(text);
    waitFor([&] { return c->player().isSpeaking(); }, 10000);
    if (words > 0) {
        waitFor([&] { return wordsShown(c) >= words || !c->player().isSpeaking(); }, 30000);
    } else {
        waitFor([&] { return !c->player().isSpeaking(); }, 60000);
    }
}

// A picture of the screen around the characters, their balloons and the open menu.
agent::Status takeShot(const QList<DesktopCharacter*>& cast, const QString& file) {
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
    if (!shot.save(file)) {
        return agent::fail(QStringLiteral("cannot write %1").arg(file));
    }
    return {};
}

agent::Status takeOptionsShot(agent::render::DesktopEngine& engine, DesktopControl& control,
                              const QString& file) {
    control.showPropertySheet();
    agent::render::OptionsWindow* window = agent::render::OptionsWindow::find(engine.options());
    if (!window) {
        return agent::fail(QStringLiteral("the options window did not open"));
    }
    waitFor([&] { return window->isVisible(); }, 5000);
    pause(100);
    if (!window->grab().save(file)) {
        return agent::fail(QStringLiteral("cannot write %1").arg(file));
    }
    return {};
}

void measureIdling(const QList<DesktopCharacter*>& cast, int seconds) {
    waitFor([&] { return allSettled(cast); }, 60000);
    int pictures = 0;
    QList<QMetaObject::Connection> links;
    for (DesktopCharacter* c : cast) {
        links << QObject::connect(&c->window(), &agent::render::CharacterWindow::painted,
                                  [&] { ++pictures; });
    }
    double before = cpuMs();
    pause(seconds * 1000);
    const double visible = cpuMs() - before;
    for (const QMetaObject::Connection& link : links) {
        QObject::disconnect(link);
    }
    for (DesktopCharacter* c : cast) {
        c->stop();
        c->hide();
    }
    waitFor([&] { return allSettled(cast); }, 30000);
    before = cpuMs();
    pause(seconds * 1000);
    const double hidden = cpuMs() - before;
    std::printf("%d characters idling for %d s: %.1f ms processor time (%.3f%% of one core)\n",
                int(cast.size()), seconds, visible, visible / (seconds * 10.0));
    std::printf("pictures drawn while idling: %d (%.3f ms processor time each)\n", pictures,
                pictures > 0 ? visible / pictures : 0.0);
    std::printf("the same hidden for %d s: %.1f ms processor time (%.3f%% of one core)\n", seconds, hidden,
                hidden / (seconds * 10.0));
}

// Loads the characters, then measures, speaks and takes the pictures the options ask for, in that order.
agent::Status run(const Options& options, agent::render::DesktopEngine& engine, DesktopControl& control) {
    const agent::Result<QList<DesktopCharacter*>> loaded = loadCast(control, options);
    if (!loaded) {
        return loaded.failure();
    }
    const QList<DesktopCharacter*>& cast = *loaded;
    if (options.showTimes > 0) {
        if (const agent::Status measured = measureShows(cast, options.showTimes); !measured) {
            return measured;
        }
    }
    if (options.menu) {
        cast[0]->setCommandsCaption(options.menu->value(0));
        for (int i = 1; i < options.menu->size(); ++i) {
            cast[0]->addCommand({QStringLiteral("c%1").arg(i), (*options.menu)[i], {}, true, true});
        }
    }
    if (!options.say.isEmpty() || options.shot || options.idleSeconds > 0 || options.statements > 0) {
        for (DesktopCharacter* c : cast) {
            c->show();
        }
        waitFor([&] { return allSettled(cast); }, 30000);
    }
    if (!options.say.isEmpty()) {
        speak(cast[0], options.say, options.words);
    }
    if (options.menu) {
        DesktopCharacter* c = cast[0];
        c->openMenu(c->window().geometry().center());
        waitFor([&] { return c->popupMenu() && c->popupMenu()->isVisible(); }, 5000);
    }
    if (options.shot) {
        if (const agent::Status taken = takeShot(cast, *options.shot); !taken) {
            return taken;
        }
    }
    if (options.optionsShot) {
        if (const agent::Status taken = takeOptionsShot(engine, control, *options.optionsShot); !taken) {
            return taken;
        }
    }
    if (options.idleSeconds > 0) {
        measureIdling(cast, options.idleSeconds);
    }
    if (options.statements > 0) {
        return soak(cast, engine.options(), options.statements, options.warmUp);
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const std::optional<Options> options = parseOptions(app);
    if (!options) {
        std::fprintf(stderr, "agentshow: give one or two character files\n");
        return 2;
    }

    QTemporaryDir home;
    auto engine = agent::render::DesktopEngine::create({}, home.filePath("engine.ini"));
    if (options->seed) {
        engine->setRandomSeed(*options->seed);
    }
    std::unique_ptr<DesktopControl> control = engine->makeControl();
    if (const agent::Status done = run(*options, *engine, *control); !done) {
        std::fprintf(stderr, "agentshow: %s\n", qPrintable(done.error()));
        return 1;
    }
    return 0;
}
