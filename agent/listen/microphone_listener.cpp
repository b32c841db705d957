#include "agent/listen/microphone_listener.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QMediaDevices>
#include <QMetaObject>
#include <QMutex>
#include <QTimer>
#include <span>

#include "agent/listen/sample_rate.h"

namespace agent::listen {

// Collects what the audio source writes, whichever thread it writes from, and tells the listener on its own.
class CaptureDevice final : public QIODevice {
public:
    CaptureDevice(std::function<void()> arrived, QObject* parent)
        : QIODevice(parent), arrived_(std::move(arrived)) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    QByteArray take() {
        const QMutexLocker lock(&mutex_);
        return std::exchange(data_, {});
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        {
            const QMutexLocker lock(&mutex_);
            data_.append(data, size);
        }
        QMetaObject::invokeMethod(parent(), arrived_, Qt::QueuedConnection);
        return size;
    }

private:
    std::function<void()> arrived_;
    QMutex mutex_;
    QByteArray data_;
};

// What lives on the recognition thread; only jobs posted there touch it.
struct MicrophoneListener::Worker {
    QObject context;
    std::unique_ptr<Recognizer> recognizer;
    QList<VoiceCommand> commands;
    bool commandsSet = false;
};

namespace {

std::vector<std::int16_t> toMono(const QByteArray& data, const QAudioFormat& format) {
    const int channels = std::max(1, format.channelCount());
    const int bytes = format.bytesPerSample();
    const qsizetype frames = data.size() / (bytes * channels);
    std::vector<std::int16_t> mono(static_cast<std::size_t>(frames));
    for (qsizetype f = 0; f < frames; ++f) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) {
            const char* p = data.constData() + (f * channels + c) * bytes;
            switch (format.sampleFormat()) {
                case QAudioFormat::Int16:
                    sum += *reinterpret_cast<const qint16*>(p);
                    break;
                case QAudioFormat::Int32:
                    sum += *reinterpret_cast<const qint32*>(p) / 65536.0;
                    break;
                case QAudioFormat::Float:
                    sum += *reinterpret_cast<const float*>(p) * 32767.0;
                    break;
                case QAudioFormat::UInt8:
                    sum += (static_cast<int>(*reinterpret_cast<const quint8*>(p)) - 128) * 256;
                    break;
                default:
                    break;
            }
        }
        mono[static_cast<std::size_t>(f)] =
            static_cast<std::int16_t>(std::clamp(sum / channels, -32768.0, 32767.0));
    }
    return mono;
}

}  // namespace

MicrophoneListener::MicrophoneListener(RecognizerModel model, QObject* parent)
    : Listener(parent), model_(std::move(model)), worker_(std::make_shared<Worker>()) {
    thread_.setObjectName(QStringLiteral("speech input"));
    worker_->context.moveToThread(&thread_);
    thread_.start();
    if (model_.complete()) {
        post([this, model = model_](Worker& w) {
            Result<std::unique_ptr<Recognizer>> created = Recognizer::create(model);
            if (created) {
                w.recognizer = *std::move(created);
            } else {
                QMetaObject::invokeMethod(
                    this, [this, failed = created.failure()] { loaded_ = failed; }, Qt::QueuedConnection);
            }
        });
    }
}

MicrophoneListener::~MicrophoneListener() {
    endAudio();
    thread_.quit();
    // The thread has ended, and with it every job: the worker may go with the last job that held it.
    thread_.wait();
}

void MicrophoneListener::post(std::function<void(Worker&)> job) {
    QMetaObject::invokeMethod(
        &worker_->context, [worker = worker_, job = std::move(job)] { job(*worker); }, Qt::QueuedConnection);
}

Status MicrophoneListener::available() const {
    if (Status complete = model_.complete(); !complete) {
        return complete;
    }
    if (!loaded_) {
        return loaded_;
    }
    if (QMediaDevices::audioInputs().isEmpty()) {
        return fail(QStringLiteral("no microphone: the sound server offers no sound input"));
    }
    return {};
}

void MicrophoneListener::setCommands(const QList<VoiceCommand>& commands) {
    if (commands == commands_) {
        return;
    }
    commands_ = commands;
    post([this, commands](Worker& w) {
        w.commands = commands;
        w.commandsSet = false;
        if (!w.recognizer) {
            return;
        }
        QStringList warnings;
        // With no command left, nothing is recognized; what was left out and why comes as warnings.
        (void)w.recognizer->setCommands(commands, &warnings);
        w.commandsSet = true;
        if (!warnings.isEmpty()) {
            QMetaObject::invokeMethod(
                this,
                [this, warnings] {
                    for (const QString& message : warnings) {
                        emit warning(message);
                    }
                },
                Qt::QueuedConnection);
        }
    });
}

void MicrophoneListener::start(Mode mode) {
    cancel();
    if (const Status can = available(); !can) {
        emit failed(can.error());
        return;
    }
    QAudioDevice device = QMediaDevices::defaultAudioInput();
    for (const QAudioDevice& input : QMediaDevices::audioInputs()) {
        if (!deviceId_.isEmpty() && input.id() == deviceId_) {
            device = input;
        }
    }
    QAudioFormat wanted;
    wanted.setSampleRate(Recognizer::kSampleRate);
    wanted.setChannelCount(1);
    wanted.setSampleFormat(QAudioFormat::Int16);
    format_ = device.isFormatSupported(wanted) ? wanted : device.preferredFormat();
    mode_ = mode;
    draining_ = false;
    heard_.clear();
    detector_.emplace(format_.sampleRate());
    source_ = new QAudioSource(device, format_, this);
    capture_ = new CaptureDevice(
        [this, source = QPointer<QAudioSource>(source_)] {
            // only sound of the utterance that is going on
            if (source && source == source_) {
                takeSound();
            }
        },
        this);
    source_->start(capture_);
    if (source_->error() != QAudio::NoError) {
        endAudio();
        emit failed(QStringLiteral("the microphone \"%1\" could not be opened").arg(device.description()));
        return;
    }
}

void MicrophoneListener::takeSound() {
    if (!source_ || !capture_) {
        return;
    }
    if (readSound()) {
        emit hearing(detector_->inSpeech());
        if (!source_) {
            return;  // whoever heard that ended the utterance
        }
    }
    const std::int64_t ms = detector_->elapsedMs();
    const bool endedBySilence =
        mode_ == Mode::UntilSilence && detector_->heardSpeech() && !detector_->inSpeech();
    const bool gaveUp = mode_ == Mode::UntilSilence && !detector_->heardSpeech() && ms >= kWaitForSpeechMs;
    const bool drained =
        draining_ && (detector_->heardSpeech() ? !detector_->inSpeech() : ms - drainFromMs_ >= kDrainMs);
    if (endedBySilence || gaveUp || drained || ms >= kMaxUtteranceMs) {
        finish();
    }
}

bool MicrophoneListener::readSound() {
    std::vector<std::int16_t> mono = toMono(capture_->take(), format_);
    const bool wasInSpeech = detector_->inSpeech();
    detector_->feed(mono);
    heard_.insert(heard_.end(), mono.begin(), mono.end());
    return detector_->inSpeech() != wasInSpeech;
}

void MicrophoneListener::endAudio() {
    if (source_) {
        source_->stop();
        // The utterance may end inside the device's own signal: the source goes once that has returned.
        source_->deleteLater();
        source_ = nullptr;
    }
    if (capture_) {
        capture_->deleteLater();
        capture_ = nullptr;
    }
}

void MicrophoneListener::stop() {
    if (!source_ || draining_) {
        return;
    }
    if (detector_->heardSpeech() && !detector_->inSpeech()) {
        finish();
        return;
    }
    // The key is up while speech goes on, or before any has arrived: what is still on its way belongs to the
    // utterance. The sound says when it is over; should none come at all, the wait ends anyway.
    draining_ = true;
    drainFromMs_ = detector_->elapsedMs();
    QTimer::singleShot(kMaxDrainWaitMs, this, [this, source = QPointer<QAudioSource>(source_)] {
        if (source && source == source_ && draining_) {
            finish();
        }
    });
}

void MicrophoneListener::finish() {
    if (!source_) {
        return;
    }
    draining_ = false;
    const bool wasInSpeech = detector_->inSpeech();
    if (capture_) {
        readSound();  // what the device still held
    }
    const bool heardSpeech = detector_->heardSpeech();
    const bool inSpeech = wasInSpeech || detector_->inSpeech();
    // The audio ends before anyone hears of it, so a listener told of the end cannot end it twice.
    endAudio();
    if (inSpeech) {
        emit hearing(false);
    }
    if (!heardSpeech) {
        emit finished(Recognition{});
        return;
    }
    recognizeSamples(resample(heard_, format_.sampleRate(), Recognizer::kSampleRate));
    heard_.clear();
}

void MicrophoneListener::cancel() {
    draining_ = false;
    endAudio();
    heard_.clear();
}

void MicrophoneListener::recognizeSamples(std::vector<std::int16_t> samples) {
    post([this, samples = std::move(samples), threshold = threshold_](Worker& w) {
        Recognition result;
        if (w.recognizer) {
            if (!w.commandsSet) {
                // Commands given before the recognizer was ready are set now, quietly; with none left,
                // nothing is recognized.
                QStringList ignored;
                (void)w.recognizer->setCommands(w.commands, &ignored);
                w.commandsSet = true;
            }
            w.recognizer->setThreshold(threshold);
            result = w.recognizer->recognize(samples);
        }
        QMetaObject::invokeMethod(
            this, [this, result] { emit finished(result); }, Qt::QueuedConnection);
    });
}

}  // namespace agent::listen
