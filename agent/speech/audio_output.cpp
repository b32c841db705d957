// Qt Multimedia playback. Without a sound server QAudioSink fails to open and reports no state change, so the
// error is read right after start().
#include "agent/speech/audio_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

namespace agent::speech {

SinkOutput::SinkOutput(QObject* parent) : QObject(parent) {}

SinkOutput::~SinkOutput() {
    stop();
}

Status SinkOutput::start(std::shared_ptr<const std::vector<std::int16_t>> samples, int sampleRate) {
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return fail(QStringLiteral("no sound output"));
    }
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);

    samples_ = std::move(samples);
    buffer_ = std::make_unique<QBuffer>();
    // The buffer reads the shared samples in place; they stay alive as long as samples_ does.
    buffer_->setData(
        QByteArray::fromRawData(reinterpret_cast<const char*>(samples_->data()),
                                static_cast<qsizetype>(samples_->size() * sizeof(std::int16_t))));
    buffer_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    failed_ = false;
    drained_ = false;
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (!sink_) {
            return;
        }
        // Idle comes also when the sink runs dry for a moment (Qt 6.8 says so mid-statement, then plays on):
        // only once every sample has been handed over is the statement over.
        if (state == QAudio::IdleState && buffer_ && buffer_->atEnd()) {
            drained_ = true;
        } else if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError) {
            failed_ = true;
        }
    });
    sink_->start(buffer_.get());
    if (sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState) {
        const QString why = QStringLiteral("the sound output %1 does not play (error %2)")
                                .arg(device.description())
                                .arg(int(sink_->error()));
        stop();
        return fail(why);
    }
    return {};
}

void SinkOutput::stop() {
    if (sink_) {
        QAudioSink* sink = sink_.get();
        sink->disconnect(this);
        sink->reset();
        sink->stop();
        sink_.reset();
    }
    buffer_.reset();
    samples_.reset();
}

std::optional<qint64> SinkOutput::playedMs() const {
    if (!sink_ || failed_) {
        return std::nullopt;
    }
    return sink_->processedUSecs() / 1000;
}

bool SinkOutput::drained() const {
    return sink_ && drained_;
}

}  // namespace agent::speech
