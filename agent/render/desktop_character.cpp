#include "agent/render/desktop_character.h"

#include <QLocale>
#include <QMenu>
#include <utility>

#include "agent/format/user_language.h"
#include "agent/render/command_menu.h"
#include "agent/render/sound_effects.h"
#include "agent/render/window_shape.h"

namespace agent::render {

namespace {

constexpr int kShapeCacheEntries = 64;
// The speed espeak-ng reads at when a character states none, in words per minute.
constexpr int kDefaultWordsPerMinute = 175;

speech::VoiceChoice voiceFromFile(const format::CharacterInfo& info) {
    speech::VoiceChoice choice;
    if (info.voice && info.voice->hasExtra) {
        const QString language = speech::languageForLangId(info.voice->language);
        if (!language.isEmpty()) {
            choice.language = language;
        }
        // Character files give the gender as speech engines of their day did: 1 female, 2 male.
        if (info.voice->gender == 1) {
            choice.gender = speech::VoiceGender::Female;
        } else if (info.voice->gender == 2) {
            choice.gender = speech::VoiceGender::Male;
        }
        choice.age = info.voice->age;
    }
    return choice;
}

}  // namespace

DesktopCharacter::DesktopCharacter(std::unique_ptr<format::AcsFile> file,
                                   std::unique_ptr<CharacterVoice> voice, SoundEffects* effects,
                                   RandomSource random)
    : file_(std::move(file)),
      // A frame composes in tens of microseconds; what is kept is the frames the idling animations repeat
      // (64 of a 128x128 character).
      composer_(*file_, 1024),
      player_(*file_, std::move(random)),
      window_(QSize(file_->info().width, file_->info().height)),
      voice_(std::move(voice)),
      effects_(effects) {
    if (file_->info().balloon) {
        balloon_.setStyle(*file_->info().balloon);
    }
    balloon_.setSizeToText(file_->info().flags & format::flags::kBalloonSizeToText);
    window_.setWindowTitle(name());
    // Window lists and desktop tests tell a character's balloon from the character by its title.
    balloon_.setWindowTitle(name() + QStringLiteral(": word balloon"));
    // The native window is made now rather than at the first Show, so that showing only maps it.
    window_.winId();
    // Asked for a place before it is first shown: a window that has none is put where the window manager
    // likes (xfwm4 and KWin: the middle of the screen, over the clock too), and the character greeted there.
    window_.place(player_.position());
    voice_->setVoice(voiceFromFile(file_->info()));
    voice_->setEvents({
        [this](const QString& shown, qint64 durationMs) { speechStarted(shown, durationMs); },
        [this](int shownEnd) { balloon_.reveal(shownEnd); },
        [this](int mouth) {
            player_.setMouth(mouth);
            showFrame();
        },
        [this] { speechFinished(); },
        [this](int mark) {
            if (events_.bookmark) {
                events_.bookmark(mark);
            }
        },
    });
    player_.setIdlingHandler([this](bool idling) {
        if (const auto& told = idling ? events_.idleStarted : events_.idleEnded) {
            told();
        }
    });
    player_.setRequestStartHandler(
        [this](int id, RequestKind kind, const QString& text) { requestStarted(id, kind, text); });
    player_.setCompletionHandler([this](const Completion& done) { requestEnded(done); });
    player_.setFrameSoundHandler([this](int sound) {
        if (effects_ && soundEffectsOn_ && options_.soundEffectsOn) {
            // A sound that cannot play leaves the frame silent; the animation goes on.
            (void)effects_->play(*file_, sound);
        }
    });

    connect(&window_, &CharacterWindow::pressed, this, &DesktopCharacter::addressed);
    connect(&window_, &CharacterWindow::clicked, this, [this](Qt::MouseButton button, QPoint at) {
        if (events_.clicked) {
            events_.clicked(int(button), at);
        }
    });
    connect(&window_, &CharacterWindow::doubleClicked, this, [this](Qt::MouseButton button, QPoint at) {
        if (events_.doubleClicked) {
            events_.doubleClicked(int(button), at);
        }
    });
    connect(&window_, &CharacterWindow::dragStarted, this, [this](QPoint topLeft) {
        if (events_.dragStarted) {
            events_.dragStarted(topLeft);
        }
    });
    connect(&window_, &CharacterWindow::menuRequested, this, &DesktopCharacter::openMenu);
    connect(&window_, &CharacterWindow::dragMoved, this, [this](QPoint topLeft) {
        player_.setPosition(topLeft);
        if (balloon_.isVisible()) {
            balloon_.placeBeside(window_.geometry());
        }
    });
    connect(&window_, &CharacterWindow::placedElsewhere, this, [this](QPoint topLeft) {
        // The window manager's word is final: the character is where its window is. A walk under way keeps
        // going (each step may be moved again); where it ends is taken once it has ended.
        if (!player_.isMoving() && !window_.isDragging()) {
            player_.setPosition(topLeft);
        }
        if (balloon_.isVisible()) {
            balloon_.placeBeside(window_.geometry());
        }
    });
    connect(&window_, &CharacterWindow::dragFinished, this,
            [this](QPoint topLeft, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
                player_.setPosition(topLeft);
                if (hooks_.dragComplete) {
                    hooks_.dragComplete(topLeft, button, modifiers);
                }
                if (events_.dragEnded) {
                    events_.dragEnded(topLeft);
                }
                if (events_.moved) {
                    events_.moved(topLeft);
                }
            });
}

DesktopCharacter::~DesktopCharacter() {
    events_ = {};
    voiceStatement_ = 0;
    voice_->setEvents({});
    voice_->stop();
    delete menu_;
}

void DesktopCharacter::applyOptions(const EngineOptions& options) {
    options_ = options;
    balloon_.setFontOverride(options.balloonFont);
    voice_->setSoundOn(options.speechOn);
    speech::VoiceChoice choice = voiceFromFile(file_->info());
    choice.name = options.voice;
    voice_->setVoice(choice);
    player_.setReducedMotion(options.reducedMotion || desktopReducedMotion_);
    if (!balloonWanted()) {
        closeBalloon();
    }
}

void DesktopCharacter::setDesktopReducedMotion(bool on) {
    desktopReducedMotion_ = on;
    catchUp();
    player_.setReducedMotion(options_.reducedMotion || desktopReducedMotion_);
    wake();
}

void DesktopCharacter::setWithdrawn(bool withdrawn) {
    if (withdrawn == withdrawn_) {
        return;
    }
    catchUp();
    withdrawn_ = withdrawn;
    sync();
    wake();
}

void DesktopCharacter::show() {
    catchUp();
    player_.show();
    wake();
}

void DesktopCharacter::hide() {
    catchUp();
    player_.hide();
    wake();
}

void DesktopCharacter::speak(const QString& text) {
    catchUp();
    player_.speak(text);
    wake();
}

void DesktopCharacter::play(const QString& animation) {
    catchUp();
    player_.play(animation);
    wake();
}

void DesktopCharacter::stop() {
    catchUp();
    // The service's clients stop their own requests.
    player_.stop([this](int id) { return served_.contains(id); });
    if (!served_.contains(voiceStatement_)) {
        // The end the voice reports for what it cuts off belongs to no statement any more.
        voiceStatement_ = 0;
        voice_->stop();
    }
    wake();
}

void DesktopCharacter::moveTo(int x, int y) {
    catchUp();
    player_.moveTo(QPoint(x, y));
    wake();
}

int DesktopCharacter::width() const {
    return file_->info().width;
}

int DesktopCharacter::height() const {
    return file_->info().height;
}

QString DesktopCharacter::name() const {
    const format::LocalizedInfo* info = format::localizedFor(*file_, QLocale());
    return info ? info->name : QString();
}

QString DesktopCharacter::description() const {
    const format::LocalizedInfo* info = format::localizedFor(*file_, QLocale());
    return info ? info->description : QString();
}

void DesktopCharacter::addCommand(const Command& command) {
    for (Command& c : commands_) {
        if (c.name.compare(command.name, Qt::CaseInsensitive) == 0) {
            c = command;
            return;
        }
    }
    commands_.append(command);
}

void DesktopCharacter::chooseCommand(const QString& name) {
    chooseCommand(ChosenCommand{name, CommandSource::Menu, 1.0, {}});
}

void DesktopCharacter::chooseCommand(const ChosenCommand& chosen) {
    const auto found = std::find_if(commands_.cbegin(), commands_.cend(), [&](const Command& c) {
        return c.name.compare(chosen.name, Qt::CaseInsensitive) == 0;
    });
    if (found != commands_.cend() && !found->heading.isEmpty()) {
        if (events_.command) {
            events_.command(chosen);
        }
        return;
    }
    if (hooks_.command) {
        hooks_.command(chosen.name);
    }
}

int DesktopCharacter::served(int id) {
    served_.insert(id);
    wake();
    return id;
}

int DesktopCharacter::showRequest(bool fast) {
    catchUp();
    return served(player_.show(fast));
}

int DesktopCharacter::hideRequest(bool fast) {
    catchUp();
    return served(player_.hide(fast));
}

int DesktopCharacter::speakRequest(const QString& text) {
    catchUp();
    return served(player_.speak(text));
}

int DesktopCharacter::thinkRequest(const QString& text) {
    catchUp();
    const int id = player_.speak(text);
    thoughts_.insert(id);
    return served(id);
}

int DesktopCharacter::playRequest(const QString& animation) {
    catchUp();
    return served(player_.play(animation));
}

int DesktopCharacter::moveRequest(QPoint topLeft, int ms) {
    catchUp();
    return served(player_.moveTo(topLeft, ms));
}

int DesktopCharacter::gestureRequest(QPoint at) {
    catchUp();
    // Towards the place, from the middle of the character as it stands when asked.
    const QPoint d = at - (player_.position() + QPoint(width() / 2, height() / 2));
    QString animation;
    if (std::abs(d.x()) >= std::abs(d.y())) {
        // Characters point to their own left and right, which are the screen's the other way round.
        animation = d.x() < 0 ? QStringLiteral("GestureRight") : QStringLiteral("GestureLeft");
    } else {
        animation = d.y() < 0 ? QStringLiteral("GestureUp") : QStringLiteral("GestureDown");
    }
    return served(player_.play(animation));
}

int DesktopCharacter::waitRequest() {
    catchUp();
    return served(player_.hold());
}

void DesktopCharacter::endRequest(int id, RequestEnd why) {
    if (!served_.contains(id)) {
        return;
    }
    catchUp();
    ends_.insert(id, why);
    if (voiceStatement_ == id) {
        voiceStatement_ = 0;
        voice_->stop();
    }
    player_.finish(id, why != RequestEnd::Done);
    wake();
}

QStringList DesktopCharacter::animationNames() const {
    QStringList names;
    for (const format::Animation& a : file_->animations()) {
        names << a.name;
    }
    return names;
}

void DesktopCharacter::setIdleOn(bool on) {
    catchUp();
    idleOn_ = on;
    player_.setIdleOn(on);
    wake();
}

void DesktopCharacter::removeCommand(const QString& name) {
    commands_.removeIf([&](const Command& c) { return c.name.compare(name, Qt::CaseInsensitive) == 0; });
}

int DesktopCharacter::playState(const QString& state) {
    catchUp();
    const int id = player_.playState(state);
    wake();
    return id;
}

void DesktopCharacter::finishRequest(int id) {
    catchUp();
    player_.finish(id);
    wake();
}

QString DesktopCharacter::voicedText(const QString& text) const {
    int wpm = kDefaultWordsPerMinute;
    int pitch = 0;
    if (const auto& v = file_->info().voice) {
        if (v->speed > 0 && v->speed < 1000) {
            wpm = int(v->speed);
        }
        pitch = v->pitch > 0 && v->pitch < 1000 ? v->pitch : 0;
    }
    const int percent = std::clamp(options_.speedPercent, 10, 400);
    QString prefix = QStringLiteral("\\Spd=%1\\").arg(std::max(1, wpm * percent / 100));
    if (pitch > 0) {
        prefix += QStringLiteral("\\Pit=%1\\").arg(pitch);
    }
    return prefix + text;
}

void DesktopCharacter::advance(int ms) {
    player_.advance(ms);
    sync();
}

void DesktopCharacter::requestEnded(const Completion& done) {
    if (done.kind == RequestKind::Show && !done.interrupted && events_.shown) {
        events_.shown(QStringLiteral("program"));
    }
    if (done.kind == RequestKind::Hide && !done.interrupted && events_.hidden) {
        events_.hidden(done.id == userHide_ ? QStringLiteral("user") : QStringLiteral("program"));
    }
    if (done.kind == RequestKind::Move && events_.moved) {
        events_.moved(player_.position());
    }
    thoughts_.remove(done.id);
    if (!served_.remove(done.id)) {
        return;
    }
    RequestEnd end = done.interrupted ? RequestEnd::Stopped : RequestEnd::Done;
    if (const auto why = ends_.constFind(done.id); why != ends_.constEnd()) {
        end = *why;
        ends_.erase(why);
    }
    if (events_.requestEnded) {
        events_.requestEnded(done.id, end);
    }
}

void DesktopCharacter::think(int id, const QString& text) {
    closeBalloon();
    const bool shown = balloonWanted() && player_.isVisible() && !withdrawn_;
    // As long as it takes to read; nobody hears a thought.
    player_.speechStarted(id, 0, shown ? readingTimeMs(text) : 0);
    player_.endSpeech(id);
    if (shown) {
        openBalloon(text);
        balloon_.reveal(int(text.size()));
    }
}

void DesktopCharacter::requestStarted(int id, RequestKind kind, const QString& text) {
    if (served_.contains(id) && events_.requestStarted) {
        events_.requestStarted(id);
    }
    if (kind == RequestKind::Speak && thoughts_.contains(id)) {
        think(id, text);
        return;
    }
    switch (kind) {
        case RequestKind::Speak:
            closeBalloon();
            if (voiceStatement_ != 0) {
                // The last statement ran out of time before its voice did: its voice gives way.
                voiceStatement_ = 0;
                voice_->stop();
            }
            voiceStatement_ = id;
            voice_->speak(voicedText(text));
            emit addressed();
            break;
        case RequestKind::Hide:
            closeBalloon();
            break;
        default:
            break;
    }
}

bool DesktopCharacter::balloonWanted() const {
    const format::CharacterInfo& info = file_->info();
    return options_.balloonOn && info.balloon.has_value() && !(info.flags & format::flags::kBalloonDisabled);
}

void DesktopCharacter::speechStarted(const QString& shownText, qint64 durationMs) {
    catchUp();
    const bool shown = player_.isSpeaking() && balloonWanted() && player_.isVisible() && !withdrawn_;
    // A statement in a balloon lasts until it can have been read, however quickly the voice says it (or,
    // without sound, would have said it); one that is only heard lasts as long as the voice.
    player_.speechStarted(voiceStatement_, durationMs, shown ? readingTimeMs(shownText) : 0);
    if (!shown) {
        return;
    }
    openBalloon(shownText);
    if (file_->info().flags & format::flags::kBalloonNoAutoPace) {
        balloon_.reveal(int(shownText.size()));
    }
}

void DesktopCharacter::openBalloon(const QString& text) {
    window_.refreshPosition();
    balloon_.open(text);
    balloon_.placeBeside(window_.geometry());
    if (events_.balloonShown) {
        events_.balloonShown();
    }
}

void DesktopCharacter::speechFinished() {
    catchUp();
    const int statement = std::exchange(voiceStatement_, 0);
    if (statement != 0) {
        player_.endSpeech(statement);
    }
    player_.setMouth(-1);
    // The balloon goes with the statement (see sync()), which may outlast its voice until it has been read.
    wake();
}

void DesktopCharacter::closeBalloon() {
    if (balloon_.isVisible()) {
        balloon_.close();
        if (events_.balloonHidden) {
            events_.balloonHidden();
        }
    }
}

void DesktopCharacter::sync() {
    if (balloon_.isVisible() && !player_.isSpeaking() &&
        !(file_->info().flags & format::flags::kBalloonNoAutoHide)) {
        closeBalloon();
    }
    if (!window_.isDragging() && window_.requested() != player_.position()) {
        window_.place(player_.position());
        if (balloon_.isVisible()) {
            balloon_.placeBeside(window_.geometry());
        }
    }
    if (player_.isVisible() && !withdrawn_) {
        showFrame();
        if (!window_.isVisible()) {
            // Asked for its place again as it is mapped again: KWin puts a window shown anew where it likes
            // unless the window asks for one.
            window_.place(player_.position());
            window_.show();
        }
    } else if (window_.isVisible()) {
        window_.hide();
        closeBalloon();
    }
}

void DesktopCharacter::showFrame() {
    const int anim = file_->animationIndex(player_.pictureAnimation());
    const int frame = player_.pictureFrame();
    const int mouth = player_.mouth();
    if (anim < 0 || frame < 0) {
        if (!window_.picture().isNull()) {
            return;
        }
    }
    const quint64 key = (quint64(quint32(anim)) << 32) | (quint64(quint16(frame)) << 8) | quint8(mouth);
    if (key == shownKey_) {
        return;
    }
    QImage picture =
        anim >= 0 && frame >= 0 ? composer_.composeIndexed(anim, frame, mouth).valueOr({}) : QImage();
    if (picture.isNull()) {
        picture = QImage(width(), height(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
    }
    shownKey_ = key;
    auto found = shapes_.constFind(key);
    if (found == shapes_.constEnd()) {
        if (shapes_.size() >= kShapeCacheEntries) {
            shapes_.clear();
        }
        found = shapes_.insert(key, opaqueRegion(picture));
    }
    window_.setPicture(picture, *found);
}

void DesktopCharacter::openMenu(QPoint globalPos) {
    emit addressed();
    delete menu_;
    menu_ = new QMenu(&window_);
    menu_->setAttribute(Qt::WA_DeleteOnClose);
    const bool listen = listenOffered_ && options_.listenOn;
    for (const MenuEntry& e : commandMenuEntries(commandsCaption_, commandsVisible_, commands_, listen)) {
        switch (e.kind) {
            case MenuEntry::Kind::Heading: {
                QAction* heading = menu_->addAction(e.text);
                heading->setEnabled(false);
                QFont bold = heading->font();
                bold.setBold(true);
                heading->setFont(bold);
                break;
            }
            case MenuEntry::Kind::Command: {
                QAction* action = menu_->addAction(e.text);
                action->setEnabled(e.enabled);
                const QString name = e.name;
                connect(action, &QAction::triggered, this, [this, name] { chooseCommand(name); });
                break;
            }
            case MenuEntry::Kind::Separator:
                menu_->addSeparator();
                break;
            case MenuEntry::Kind::Listen:
                connect(menu_->addAction(e.text), &QAction::triggered, this,
                        &DesktopCharacter::listenRequested);
                break;
            case MenuEntry::Kind::Hide:
                connect(menu_->addAction(e.text), &QAction::triggered, this, [this] {
                    catchUp();
                    userHide_ = player_.hide();
                    wake();
                });
                break;
        }
    }
    menu_->popup(globalPos);
}

void DesktopCharacter::catchUp() {
    if (hooks_.catchUp) {
        hooks_.catchUp();
    }
}

void DesktopCharacter::wake() {
    if (hooks_.wake) {
        hooks_.wake();
    }
}

}  // namespace agent::render
