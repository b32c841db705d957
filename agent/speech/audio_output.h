// Where an utterance's samples are played. The desktop's sound server through Qt Multimedia, or nowhere.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "agent/result.h"

class QAudioSink;
class QBuffer;

namespace agent::speech {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts playing at once without waiting for the sound; fails when there is nowhere to play it.
    virtual Status start(std::shared_ptr<const std::vector<std::int16_t>> samples, int sampleRate) = 0;
    // Cuts the sound off at once.
    virtual void stop() = 0;
    // How much has been played, while playing; nothing once playback broke off or was never started.
    virtual std::optional<qint64> playedMs() const = 0;
    // Everything started has been played.
    virtual bool drained() const = 0;
};

// For a machine without sound: the player then runs on its clock.
class SilentOutput final : public AudioOutput {
public:
    Status start(std::shared_ptr<const std::vector<std::int16_t>>, int) override {
        return fail(QStringLiteral("no sound output"));
    }
    void stop() override {}
    std::optional<qint64> playedMs() const override { return std::nullopt; }
    bool drained() const override { return false; }
};

// The default output device of the sound server (PulseAudio or PipeWire), through QAudioSink in pull mode so
// nothing ever waits for the device. Lives on a thread with an event loop.
class SinkOutput final : public QObject, public AudioOutput {
    Q_OBJECT
public:
    explicit SinkOutput(QObject* parent = nullptr);
    ~SinkOutput() override;

    Status start(std::shared_ptr<const std::vector<std::int16_t>> samples, int sampleRate) override;
    void stop() override;
    std::optional<qint64> playedMs() const override;
    bool drained() const override;

private:
    std::unique_ptr<QAudioSink> sink_;
    std::unique_ptr<QBuffer> buffer_;
    std::shared_ptr<const std::vector<std::int16_t>> samples_;
    bool failed_ = false;
    bool drained_ = false;
};

}  // namespace agent::speech
