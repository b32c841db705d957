// The listener the program uses: sound from a QAudioSource (the default input of PulseAudio or PipeWire, or
// the one the user chose), speech told from quiet by a SpeechDetector, and recognition on a thread of its own
// so the windows never wait for it. The acoustic model loads on that thread as soon as the listener is made.
#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QPointer>
#include <QThread>
#include <memory>
#include <optional>
#include <vector>

#include "agent/listen/listener.h"
#include "agent/listen/recognizer.h"
#include "agent/listen/speech_detector.h"

class QAudioSource;

namespace agent::listen {

class CaptureDevice;

class MicrophoneListener final : public Listener {
    Q_OBJECT
public:
    // The longest an utterance may be, and how long the menu's Listen waits for speech to begin.
    static constexpr int kMaxUtteranceMs = 15000;
    static constexpr int kWaitForSpeechMs = 6000;
    // After the listening key is let go: how much more sound is read for speech still on its way from the
    // sound server (a busy machine delivers it late), and the most that is waited for it.
    static constexpr int kDrainMs = 700;
    static constexpr int kMaxDrainWaitMs = 2000;

    explicit MicrophoneListener(RecognizerModel model = RecognizerModel::installed(),
                                QObject* parent = nullptr);
    ~MicrophoneListener() override;

    Status available() const override;
    void setCommands(const QList<VoiceCommand>& commands) override;
    void setThreshold(double threshold) override { threshold_ = threshold; }
    void setInputDevice(const QByteArray& id) override { deviceId_ = id; }
    void start(Mode mode) override;
    void stop() override;
    void cancel() override;
    bool isListening() const override { return source_ != nullptr; }

    // Recognizes samples as if they had been heard (16 kHz mono): the console's Hear and the benches.
    void recognizeSamples(std::vector<std::int16_t> samples);

private:
    struct Worker;
    void takeSound();  // reads what came in and ends the utterance where it is over
    void finish();     // ends the utterance with what was heard, and recognizes it
    bool readSound();  // true when speech began or ended in what was read
    void endAudio();
    void post(std::function<void(Worker&)> job);

    RecognizerModel model_;
    QThread thread_;
    std::shared_ptr<Worker> worker_;
    Status loaded_;  // fails once the model failed to load
    QList<VoiceCommand> commands_;
    double threshold_ = 0.5;
    QByteArray deviceId_;

    Mode mode_ = Mode::UntilStopped;
    // stop() came while speech was going on or none had come yet: sound is read on until it is over.
    bool draining_ = false;
    std::int64_t drainFromMs_ = 0;
    QAudioSource* source_ = nullptr;
    // Where the source writes what it hears. Qt's PulseAudio source in push mode (start() without a device)
    // signals sound but mostly hands out none, so the source is given a device to write into.
    QPointer<CaptureDevice> capture_;
    QAudioFormat format_;
    std::optional<SpeechDetector> detector_;
    std::vector<std::int16_t> heard_;  // mono, at format_'s rate
};

}  // namespace agent::listen
