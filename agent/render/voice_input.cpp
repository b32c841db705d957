#include "agent/render/voice_input.h"

#include "agent/listen/spoken_commands.h"

#include <QDebug>

#include <algorithm>

#include "agent/render/desktop_character.h"
#include "agent/render/unavailable_listener.h"

namespace agent::render {

namespace {

const QString kListeningState = QStringLiteral("Listening");
const QString kHearingState = QStringLiteral("Hearing");

}  // namespace

VoiceInput::VoiceInput(VoiceInputSetup setup, QObject* parent)
    : QObject(parent),
      options_(std::move(setup.options)),
      makeListener_(setup.makeListener ? std::move(setup.makeListener)
                                       : ListenerFactory(makeUnavailableListener)),
      key_(std::move(setup.key)),
      ownTime_(setup.time != nullptr ? nullptr : std::make_unique<QtEngineTime>()),
      time_(setup.time != nullptr ? setup.time : ownTime_.get()),
      timer_(time_->makeTimer()) {
    timer_->setHandler([this] { tick(); });
    if (key_) {
        connect(key_.get(), &ListeningKey::pressed, this, &VoiceInput::keyPressed);
        connect(key_.get(), &ListeningKey::released, this, &VoiceInput::keyReleased);
    }
    connect(options_.get(), &OptionsStore::changed, this, [this] {
        if (!enabled() && listening_ != nullptr) {
            endListening();
            listener_->cancel();
            tip_.dismiss();
        }
        grabKey();
    });
    grabKey();
}

VoiceInput::~VoiceInput() {
    if (listening_ != nullptr && listener_) {
        listener_->cancel();
    }
    // The key's release must not reach a VoiceInput half taken apart.
    if (key_) {
        key_->disconnect(this);
    }
}

bool VoiceInput::enabled() const {
    return options_->options().listenOn;
}

void VoiceInput::add(DesktopCharacter* character) {
    if (character == nullptr || characters_.contains(character)) {
        return;
    }
    characters_.append(character);
    character->setListenOffered(true);
    connect(character, &DesktopCharacter::addressed, this, [this, character] { addressed_ = character; });
    connect(character, &DesktopCharacter::listenRequested, this,
            [this, character] { listen(character, listen::Listener::Mode::UntilSilence); });
}

void VoiceInput::remove(DesktopCharacter* character) {
    if (!characters_.removeOne(character)) {
        return;
    }
    character->disconnect(this);
    character->setListenOffered(false);
    if (addressed_ == character) {
        addressed_ = nullptr;
    }
    if (listening_ == character) {
        listening_ = nullptr;
        stateRequest_ = 0;
        listener_->cancel();
        tip_.dismiss();
    }
}

DesktopCharacter* VoiceInput::target() const {
    if (addressed_ != nullptr && addressed_->player().isVisible()) {
        return addressed_;
    }
    const auto shown = std::find_if(characters_.cbegin(), characters_.cend(),
                                    [](DesktopCharacter* c) { return c->player().isVisible(); });
    return shown == characters_.cend() ? nullptr : *shown;
}

listen::Listener* VoiceInput::listener() {
    if (!listener_) {
        listener_ = makeListener_();
        if (!listener_) {
            listener_ = makeUnavailableListener();
        }
        connect(listener_.get(), &listen::Listener::hearing, this, &VoiceInput::hearing);
        connect(listener_.get(), &listen::Listener::finished, this, &VoiceInput::finished);
        connect(listener_.get(), &listen::Listener::failed, this, &VoiceInput::failed);
        connect(listener_.get(), &listen::Listener::warning, this,
                [this](const QString& message) { warnOnce(message); });
    }
    return listener_.get();
}

void VoiceInput::listen(DesktopCharacter* character, listen::Listener::Mode mode) {
    if (character == nullptr || !characters_.contains(character) || !enabled() || listening_ != nullptr) {
        return;
    }
    listen::Listener* l = listener();
    if (const Status can = l->available(); !can) {
        const QString why = can.error();
        tell(character, cannotListenText(character->name(), why), ListeningTip::Linger::Brief);
        warnOnce(why);
        return;
    }
    listening_ = character;
    mode_ = mode;
    stateRequest_ = character->playState(kListeningState);
    tell(character, listeningText(character->name()), ListeningTip::Linger::Held);
    const EngineOptions& o = options_->options();
    l->setCommands(listen::spokenCommands(character->commands()));
    l->setThreshold(o.thresholdPercent / 100.0);
    l->setInputDevice(o.inputDevice.toUtf8());
    l->start(mode);
}

void VoiceInput::grabKey() {
    const EngineOptions& o = options_->options();
    const QString wanted = enabled() ? o.listeningKey : QString();
    if (!key_ || wanted == grabbedKey_) {
        return;
    }
    grabbedKey_.clear();
    if (wanted.isEmpty()) {
        keyGrab_ = {};
        key_->ungrab();
        return;
    }
    keyGrab_ = key_->grab(wanted);
    if (keyGrab_) {
        grabbedKey_ = wanted;
    } else {
        warnOnce(QStringLiteral("no listening key: %1").arg(keyGrab_.error()));
    }
}

void VoiceInput::keyPressed() {
    listen(target(), listen::Listener::Mode::UntilStopped);
}

void VoiceInput::keyReleased() {
    if (listening_ != nullptr && mode_ == listen::Listener::Mode::UntilStopped) {
        listener_->stop();
    }
}

void VoiceInput::hearing(bool speech) {
    if (listening_ == nullptr || !speech) {
        return;
    }
    listening_->finishRequest(stateRequest_);
    stateRequest_ = listening_->playState(kHearingState);
    tell(listening_, hearingText(listening_->name()), ListeningTip::Linger::Held);
}

void VoiceInput::finished(const listen::Recognition& result) {
    DesktopCharacter* character = endListening();
    if (character == nullptr) {
        return;
    }
    const QList<Command>& commands = character->commands();
    const auto chosen = std::find_if(commands.cbegin(), commands.cend(), [&](const Command& c) {
        return listen::canBeSpoken(c) && c.name.compare(result.command, Qt::CaseInsensitive) == 0;
    });
    if (!result.accepted() || chosen == commands.cend()) {
        tell(character, notUnderstoodText(character->name(), result.words), ListeningTip::Linger::Brief);
        return;
    }
    if (result.words.trimmed().isEmpty()) {
        tip_.dismiss();
    } else {
        tell(character, heardText(character->name(), result.words), ListeningTip::Linger::Brief);
    }
    // Last: the program's handler may unload the character.
    character->chooseCommand(
        ChosenCommand{chosen->name, CommandSource::Voice, result.confidence, result.words});
}

void VoiceInput::failed(const QString& message) {
    DesktopCharacter* character = endListening();
    if (character != nullptr) {
        tell(character, cannotListenText(character->name(), message), ListeningTip::Linger::Brief);
    }
}

DesktopCharacter* VoiceInput::endListening() {
    DesktopCharacter* character = std::exchange(listening_, nullptr);
    if (character != nullptr && stateRequest_ != 0) {
        character->finishRequest(stateRequest_);
    }
    stateRequest_ = 0;
    return character;
}

void VoiceInput::tell(DesktopCharacter* character, const QString& text, ListeningTip::Linger linger) {
    character->window().refreshPosition();
    tip_.say(character->name(), text, character->window().geometry(), linger);
    schedule();
}

void VoiceInput::warnOnce(const QString& message) {
    if (!warned_.contains(message)) {
        warned_.insert(message);
        qWarning("character engine: %s", qPrintable(message));
    }
}

void VoiceInput::advance(int ms) {
    tip_.advance(ms);
    schedule();
}

void VoiceInput::schedule() {
    const qint64 wait = tip_.msUntilHidden();
    if (wait < 0) {
        timer_->stop();
        return;
    }
    lastTickMs_ = time_->clock().nowMs();
    timer_->start(int(std::min<qint64>(wait, 60 * 1000)));
}

void VoiceInput::tick() {
    const qint64 now = time_->clock().nowMs();
    const qint64 elapsed = std::max<qint64>(0, now - lastTickMs_);
    advance(int(std::min<qint64>(elapsed, 60 * 1000)));
}

}  // namespace agent::render
