// The worker thread behind SpeechThread.
#include "agent/speech/speech_thread.h"

#include <QMetaObject>

namespace agent::speech {

SpeechThread::SpeechThread(EspeakSynthesizer synthesizer, QObject* parent)
    : QObject(parent), synthesizer_(std::move(synthesizer)), worker_([this] { run(); }) {}

SpeechThread::~SpeechThread() {
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

void SpeechThread::synthesize(SpeechText text, VoiceChoice voice, Done done) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(Job{std::move(text), std::move(voice), std::move(done)});
    }
    wake_.notify_one();
}

void SpeechThread::cancelPending() {
    std::lock_guard lock(mutex_);
    jobs_.clear();
}

void SpeechThread::run() {
    while (true) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quitting_ || !jobs_.empty(); });
            if (quitting_) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        Result<Utterance> made = synthesizer_.synthesize(job.text, job.voice);
        Result<std::shared_ptr<const Utterance>> result =
            made ? Result<std::shared_ptr<const Utterance>>(
                       std::make_shared<const Utterance>(*std::move(made)))
                 : made.failure();
        // Queued to this object: if it is destroyed first, Qt drops the call.
        QMetaObject::invokeMethod(
            this, [done = std::move(job.done), result] { done(result); }, Qt::QueuedConnection);
    }
}

}  // namespace agent::speech
