// The desktop engine's control: loads characters from their files into windows of their own and keeps their
// time. One timer serves every character and fires only when a picture is due to change, so characters that
// stand still cost nothing between frames, and hidden ones nothing at all.
#pragma once

#include <QMap>
#include <QObject>
#include <functional>
#include <memory>

#include "agent/control.h"
#include "agent/render/desktop_character.h"
#include "agent/render/engine_options.h"
#include "agent/render/frame_timer.h"

namespace agent::render {

class DesktopMotion;
class SoundEffects;
class VoiceInput;

struct DesktopEnvironment {
    QStringList characterFolders;  // where a bare file name is looked for, in order
    std::shared_ptr<OptionsStore> options;
    std::function<std::unique_ptr<CharacterVoice>()> makeVoice;
    std::shared_ptr<SoundEffects> effects;   // may be null
    EngineTime* time = nullptr;              // null: the desktop's own
    std::function<RandomSource()> random;    // empty: a random seed per character
    std::shared_ptr<VoiceInput> voiceInput;  // may be null (no spoken commands)
    std::shared_ptr<DesktopMotion> motion;   // may be null (the desktop asks for no less motion)
};

class DesktopControl final : public QObject, public Control {
    Q_OBJECT
public:
    explicit DesktopControl(DesktopEnvironment environment, QObject* parent = nullptr);
    ~DesktopControl() override;

    Status load(const QString& id, const QString& fileName) override;
    void unload(const QString& id) override;
    Character* item(const QString& id) override { return character(id); }
    void showPropertySheet() override;
    ServedCharacter* served(const QString& id) override { return character(id); }
    QStringList ids() const override;
    QString loadedFrom(const QString& id) const override { return paths_.value(id.toLower()); }
    QString locate(const QString& fileName) override;
    QStringList characterFolders() override { return env_.characterFolders; }

    DesktopCharacter* character(const QString& id) const;

private:
    // Moves every character's time on to now.
    void moveTimeOn();
    // Brings every character up to now before one of them changes.
    void catchUp();
    void schedule();
    void tick();

    DesktopEnvironment env_;
    QMap<QString, std::shared_ptr<DesktopCharacter>> characters_;  // by lower-case id
    QMap<QString, QString> paths_;                                 // of their files, by lower-case id
    QStringList ids_;                                              // as they were given
    std::unique_ptr<EngineTime> ownTime_;
    EngineTime* time_;
    std::unique_ptr<FrameTimer> timer_;
    qint64 lastTickMs_ = 0;
    QList<qint64> waits_;  // how long until each character next changes, for schedule()
};

}  // namespace agent::render
