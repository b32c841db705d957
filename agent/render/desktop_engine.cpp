#include "agent/render/desktop_engine.h"

#include "agent/listen/microphone_listener.h"
#include "agent/render/desktop_motion.h"
#include "agent/render/sound_effects.h"
#include "agent/render/speaker_voice.h"
#include "agent/speech/speech_thread.h"

namespace agent::render {

std::shared_ptr<DesktopEngine> DesktopEngine::create(QStringList characterFolders, QString optionsPath) {
    return std::shared_ptr<DesktopEngine>(
        new DesktopEngine(std::move(characterFolders), std::move(optionsPath)));
}

DesktopEngine::DesktopEngine(QStringList characterFolders, QString optionsPath)
    : characterFolders_(std::move(characterFolders)),
      options_(std::make_shared<OptionsStore>(std::move(optionsPath))),
      thread_(std::make_unique<speech::SpeechThread>()),
      effectsOutput_(std::make_unique<speech::SinkOutput>()),
      effects_(std::make_shared<SoundEffects>(*effectsOutput_)),
      makeListener_([] { return std::make_unique<listen::MicrophoneListener>(); }) {}

DesktopEngine::~DesktopEngine() = default;

std::unique_ptr<DesktopControl> DesktopEngine::makeControl() {
    auto self = shared_from_this();
    DesktopEnvironment env;
    env.characterFolders = characterFolders_;
    env.options = options_;
    env.effects = effects_;
    env.time = &time_;
    if (!voiceInput_) {
        VoiceInputSetup setup;
        setup.options = options_;
        setup.makeListener = makeListener_;
        setup.key = makeDesktopListeningKey();
        setup.time = &time_;
        voiceInput_ = std::make_shared<VoiceInput>(std::move(setup));
    }
    env.voiceInput = voiceInput_;
    if (!motion_) {
        motion_ = std::make_shared<DesktopMotion>();
    }
    env.motion = motion_;
    if (seed_) {
        env.random = [next = *seed_]() mutable { return seededRandom(next++); };
    }
    env.makeVoice = [self]() -> std::unique_ptr<CharacterVoice> {
        return std::make_unique<SpeakerVoice>(*self->thread_, std::make_unique<speech::SinkOutput>(),
                                              self->time_.clock());
    };
    // The environment holds the engine through makeVoice, so the shared parts live as long as any control.
    return std::make_unique<DesktopControl>(std::move(env));
}

}  // namespace agent::render
