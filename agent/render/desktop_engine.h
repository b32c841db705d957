// What the desktop engine's controls share in a running program: the speech thread, the clock the voices
// pace themselves by when there is no sound, the options and their window, the frame sounds, and spoken
// commands (the listening key, the tip and the listener).
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "agent/render/desktop_control.h"
#include "agent/render/voice_input.h"
#include "agent/speech/audio_output.h"

namespace agent::speech {
class SpeechThread;
}

namespace agent::render {

class DesktopMotion;

class DesktopEngine : public std::enable_shared_from_this<DesktopEngine> {
public:
    // optionsPath: the engine's own settings file.
    static std::shared_ptr<DesktopEngine> create(QStringList characterFolders, QString optionsPath);
    ~DesktopEngine();

    // A control that keeps the engine alive as long as it lives.
    std::unique_ptr<DesktopControl> makeControl();

    OptionsStore& options() { return *options_; }

    // What spoken commands are recognized with; made on the first attempt to listen. Set before the first
    // control is made. The default listens through the microphone.
    void setListenerFactory(ListenerFactory makeListener) { makeListener_ = std::move(makeListener); }
    // Characters of controls made from now on choose their branches and idle animations from this seed (the
    // n-th character loaded from seed + n), so that a measurement sees the same animations each run.
    void setRandomSeed(std::uint32_t seed) { seed_ = seed; }

private:
    DesktopEngine(QStringList characterFolders, QString optionsPath);

    QStringList characterFolders_;
    std::shared_ptr<OptionsStore> options_;
    std::unique_ptr<speech::SpeechThread> thread_;
    QtEngineTime time_;
    std::unique_ptr<speech::AudioOutput> effectsOutput_;
    std::shared_ptr<SoundEffects> effects_;
    ListenerFactory makeListener_;
    std::shared_ptr<VoiceInput> voiceInput_;  // made with the first control: it needs the application
    std::shared_ptr<DesktopMotion> motion_;   // likewise
    std::optional<std::uint32_t> seed_;
};

}  // namespace agent::render
