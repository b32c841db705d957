#include "agent/render/desktop_control.h"

#include <QDebug>
#include <QFileInfo>
#include <algorithm>

#include "agent/format/character_folder.h"
#include "agent/render/desktop_motion.h"
#include "agent/render/options_window.h"
#include "agent/render/voice_input.h"

namespace agent::render {

namespace {

// While a character travels its window moves every step; about 60 steps a second look smooth.
constexpr int kMoveStepMs = 16;
// Frames of different characters due this close together are drawn in one wake-up.
constexpr qint64 kTogetherMs = 30;

}  // namespace

DesktopControl::DesktopControl(DesktopEnvironment environment, QObject* parent)
    : QObject(parent),
      env_(std::move(environment)),
      ownTime_(env_.time != nullptr ? nullptr : std::make_unique<QtEngineTime>()),
      time_(env_.time != nullptr ? env_.time : ownTime_.get()),
      timer_(time_->makeTimer()) {
    timer_->setHandler([this] { tick(); });
    if (env_.options) {
        connect(env_.options.get(), &OptionsStore::changed, this, [this] {
            for (const auto& c : std::as_const(characters_)) {
                c->applyOptions(env_.options->options());
            }
        });
    }
    if (env_.motion) {
        connect(env_.motion.get(), &DesktopMotion::changed, this, [this] {
            for (const auto& c : std::as_const(characters_)) {
                c->setDesktopReducedMotion(env_.motion->reduced());
            }
        });
    }
}

DesktopControl::~DesktopControl() {
    if (env_.voiceInput) {
        for (const auto& c : std::as_const(characters_)) {
            env_.voiceInput->remove(c.get());
        }
    }
}

Status DesktopControl::load(const QString& id, const QString& fileName) {
    const QString key = id.toLower();
    if (key.isEmpty() || characters_.contains(key)) {
        return fail(QStringLiteral("the id \"%1\" is in use").arg(id));
    }
    Result<std::unique_ptr<format::AcsFile>> file = format::openCharacter(env_.characterFolders, fileName);
    if (!file) {
        return file.failure();
    }
    auto voice = env_.makeVoice ? env_.makeVoice() : nullptr;
    if (!voice) {
        return fail(QStringLiteral("no voice for %1").arg(id));
    }
    auto character = std::make_shared<DesktopCharacter>(
        std::move(*file), std::move(voice), env_.effects.get(), env_.random ? env_.random() : RandomSource());
    if (env_.motion) {
        character->setDesktopReducedMotion(env_.motion->reduced());
    }
    if (env_.options) {
        character->applyOptions(env_.options->options());
    }
    character->setHooks({
        [this] { catchUp(); },
        [this] { schedule(); },
        [this, id](const QString& name) {
            raiseCommand({name, id});
        },
        [this, id](QPoint topLeft, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
            raiseDragComplete({id, int(button), int(modifiers >> 25), topLeft.x(), topLeft.y()});
        },
    });
    if (env_.voiceInput) {
        env_.voiceInput->add(character.get());
    }
    characters_.insert(key, std::move(character));
    paths_.insert(key, locate(fileName));
    ids_.append(id);
    return {};
}

QStringList DesktopControl::ids() const {
    return ids_;
}

QString DesktopControl::locate(const QString& fileName) {
    return QFileInfo(format::characterPath(env_.characterFolders, fileName)).absoluteFilePath();
}

void DesktopControl::unload(const QString& id) {
    const auto found = characters_.constFind(id.toLower());
    if (found != characters_.constEnd() && env_.voiceInput) {
        env_.voiceInput->remove(found->get());
    }
    characters_.remove(id.toLower());
    paths_.remove(id.toLower());
    ids_.removeIf([&](const QString& i) { return i.compare(id, Qt::CaseInsensitive) == 0; });
    schedule();
}

DesktopCharacter* DesktopControl::character(const QString& id) const {
    const auto found = characters_.constFind(id.toLower());
    return found == characters_.constEnd() ? nullptr : found->get();
}

void DesktopControl::showPropertySheet() {
    if (env_.options) {
        OptionsWindow::open(*env_.options);
    }
}

void DesktopControl::moveTimeOn() {
    const qint64 now = time_->clock().nowMs();
    const qint64 elapsed = std::max<qint64>(0, now - lastTickMs_);
    lastTickMs_ = now;
    // A handler may unload a character while time passes; hold on to each until its turn is over.
    const auto characters = characters_.values();
    for (const auto& c : characters) {
        c->advance(int(std::min<qint64>(elapsed, 60 * 60 * 1000)));
    }
}

void DesktopControl::catchUp() {
    // Without an armed timer nothing was due, and the next schedule counts from its own moment.
    if (timer_->isActive() && time_->clock().nowMs() > lastTickMs_) {
        moveTimeOn();
    }
}

void DesktopControl::schedule() {
    waits_.clear();  // keeps its room: this runs at every frame
    for (const auto& c : std::as_const(characters_)) {
        waits_.append(c->msUntilNextEvent());
    }
    qint64 wait = sharedWait(waits_, kTogetherMs);
    if (wait < 0) {
        timer_->stop();
        return;
    }
    const bool moving = std::any_of(characters_.cbegin(), characters_.cend(),
                                    [](const auto& c) { return c->player().isMoving(); });
    if (moving) {
        wait = kMoveStepMs;
    }
    const qint64 now = time_->clock().nowMs();
    if (!timer_->isActive()) {
        lastTickMs_ = now;
    }
    timer_->start(int(std::clamp<qint64>(lastTickMs_ + wait - now, 0, 60 * 60 * 1000)));
}

void DesktopControl::tick() {
    moveTimeOn();
    schedule();
}

}  // namespace agent::render
