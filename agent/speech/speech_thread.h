// Synthesis off the user-interface thread: statements queue up for one worker thread and come back, in order,
// on the thread that owns this object.
#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "agent/speech/espeak_synthesizer.h"

namespace agent::speech {

class SpeechThread : public QObject {
    Q_OBJECT
public:
    // Called with the utterance, or with the reason it could not be made.
    using Done = std::function<void(Result<std::shared_ptr<const Utterance>>)>;

    explicit SpeechThread(EspeakSynthesizer synthesizer = EspeakSynthesizer(), QObject* parent = nullptr);
    ~SpeechThread() override;

    void synthesize(SpeechText text, VoiceChoice voice, Done done);
    // Drops the statements that have not started; one being synthesized still reports back.
    void cancelPending();

private:
    struct Job {
        SpeechText text;
        VoiceChoice voice;
        Done done;
    };

    void run();

    EspeakSynthesizer synthesizer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool quitting_ = false;
    std::thread worker_;
};

}  // namespace agent::speech
