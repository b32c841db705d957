// A clock and a sound output the speech tests drive by hand, and a recorder of what a player or speaker
// raised.
#pragma once

#include <QObject>
#include <QStringList>

#include "agent/speech/audio_output.h"
#include "agent/speech/monotonic_clock.h"
#include "agent/speech/speech_player.h"

namespace agent::speech::fakes {

class ManualClock final : public MonotonicClock {
public:
    qint64 now = 5000;
    qint64 nowMs() const override { return now; }
};

class ManualOutput final : public AudioOutput {
public:
    bool available = true;
    int starts = 0;
    int stops = 0;
    std::optional<qint64> played;

    Status start(std::shared_ptr<const std::vector<std::int16_t>>, int) override {
        ++starts;
        if (!available) {
            return fail(QStringLiteral("no sound output"));
        }
        played = 0;
        return {};
    }
    void stop() override {
        ++stops;
        played.reset();
    }
    std::optional<qint64> playedMs() const override { return played; }
    bool drained() const override { return false; }
};

// Everything a player raises, as short entries: "w1:8" (word 1, balloon up to 8), "m:wide4", "b:7", "end",
// "stopped".
template <typename Source>
QStringList* record(Source* source, QObject* context) {
    auto* log = new QStringList;
    QObject::connect(context, &QObject::destroyed, [log] { delete log; });
    QObject::connect(source, &Source::wordReached, context, [log](int index, int shownEnd) {
        *log << QStringLiteral("w%1:%2").arg(index).arg(shownEnd);
    });
    QObject::connect(source, &Source::mouthChanged, context,
                     [log](MouthShape shape) { *log << QStringLiteral("m:") + mouthShapeName(shape); });
    QObject::connect(source, &Source::bookmarkReached, context,
                     [log](int id) { *log << QStringLiteral("b:%1").arg(id); });
    QObject::connect(source, &Source::finished, context, [log](bool stopped) {
        *log << (stopped ? QStringLiteral("stopped") : QStringLiteral("end"));
    });
    return log;
}

}  // namespace agent::speech::fakes
