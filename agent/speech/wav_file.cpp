// The RIFF/WAVE layout: Qt has no writer for it, and the header is a fixed 44 bytes.
#include "agent/speech/wav_file.h"

#include <QDataStream>
#include <QSaveFile>

namespace agent::speech {

Status writeWav(const QString& path, const Utterance& utterance) {
    const quint64 dataBytes = utterance.samples.size() * sizeof(std::int16_t);
    if (dataBytes > 0xFFFFFFFFull - 36) {
        return fail(QStringLiteral("%1: too long for a WAV file").arg(path));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 rate = static_cast<quint32>(utterance.sampleRate);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << quint32(rate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(dataBytes);
    for (std::int16_t sample : utterance.samples) {
        out << qint16(sample);
    }
    if (out.status() != QDataStream::Ok || !file.commit()) {
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
    return {};
}

}  // namespace agent::speech
