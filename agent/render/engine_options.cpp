// The options file is an INI file edited in place: a write changes only our keys' lines, keeps what it does
// not know, and replaces the file atomically. Every value is checked on its own, since people edit these
// files by hand.
#include "agent/render/engine_options.h"

#include <QFileInfo>

#include <algorithm>

#include "agent/ini/ini_file.h"

namespace agent::render {

namespace {

const QString kGroup = QStringLiteral("Options");
const QString kBalloonOn = QStringLiteral("BalloonOn");
const QString kBalloonFont = QStringLiteral("BalloonFont");
const QString kSpeechOn = QStringLiteral("SpeechOn");
const QString kSoundEffectsOn = QStringLiteral("SoundEffectsOn");
const QString kReducedMotion = QStringLiteral("ReducedMotion");
const QString kSpeedPercent = QStringLiteral("SpeedPercent");
const QString kVoice = QStringLiteral("Voice");
const QString kListenOn = QStringLiteral("SpeechInputOn");
const QString kListeningKey = QStringLiteral("ListeningKey");
const QString kInputDevice = QStringLiteral("InputDevice");
const QString kThreshold = QStringLiteral("SpeechInputThreshold");

// A balloon font outside these sizes would hide the character or be unreadable.
constexpr double kMinFontPoints = 4;
constexpr double kMaxFontPoints = 72;
constexpr int kMaxVoiceNameLength = 100;
// An options file is a few hundred bytes; anything much larger is not ours and is not read.
// Sound servers name their sources in well under this ("alsa_input.pci-0000_00_1f.3.analog-stereo").
constexpr int kMaxInputDeviceIdLength = 300;

using agent::ini::IniDocument;

QString valueOf(const IniDocument& doc, const QString& key) {
    return doc.value(kGroup, key).value_or(QString());
}

bool readBool(const IniDocument& doc, const QString& key, bool fallback) {
    const QString text = valueOf(doc, key).trimmed().toLower();
    if (text == u"true" || text == u"1" || text == u"yes" || text == u"on") {
        return true;
    }
    if (text == u"false" || text == u"0" || text == u"no" || text == u"off") {
        return false;
    }
    return fallback;
}

// A whole number brought into its range; the fallback when the text is no number.
int readClamped(const IniDocument& doc, const QString& key, int low, int high, int fallback) {
    bool ok = false;
    const int value = valueOf(doc, key).trimmed().toInt(&ok);
    return ok ? std::clamp(value, low, high) : fallback;
}

// The file as it is now; nothing when it is missing, unreadable or too large to be ours.
QString boolText(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

QString checkedKeyName(const QString& name) {
    const ListeningKeyName* key = findListeningKey(name);
    return key ? key->name : kDefaultListeningKey;
}

}  // namespace

QString fontToText(const QFont& font) {
    return font.toString();
}

std::optional<QFont> fontFromText(const QString& text) {
    // The part counts QFont::fromString accepts; checked here so that a bad text is not logged as a warning.
    // Newer Qt writes more parts (19 in 6.11), so there is no upper bound.
    const QStringList parts = text.trimmed().split(u',');
    const qsizetype count = parts.size();
    bool sized = false;
    if (count >= 2) {
        parts[1].toDouble(&sized);
    }
    if (!sized || (count > 2 && count < 10)) {
        return std::nullopt;
    }
    QFont font;
    if (!font.fromString(text) || font.family().trimmed().isEmpty()) {
        return std::nullopt;
    }
    const double points = font.pointSizeF();
    if (!(points >= kMinFontPoints && points <= kMaxFontPoints)) {
        return std::nullopt;
    }
    return font;
}

bool isVoiceName(const QString& text) {
    if (text.isEmpty() || text.size() > kMaxVoiceNameLength || text.contains(QStringLiteral(".."))) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               c == u'-' || c == u'_' || c == u'+' || c == u'/' || c == u'.';
    });
}

bool isInputDeviceId(const QString& text) {
    if (text.isEmpty() || text.size() > kMaxInputDeviceIdLength) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

OptionsStore::OptionsStore(QString path, QObject* parent) : QObject(parent), path_(std::move(path)) {
    const Result<IniDocument> doc = ini::IniFile(path_).load();
    if (!doc) {
        // The defaults hold for this run; the file stays as it is until the user changes an option.
        qWarning("character engine: %s", qPrintable(doc.error()));
        return;
    }
    const EngineOptions defaults;
    options_.balloonOn = readBool(*doc, kBalloonOn, defaults.balloonOn);
    options_.balloonFont = fontFromText(valueOf(*doc, kBalloonFont));
    options_.speechOn = readBool(*doc, kSpeechOn, defaults.speechOn);
    options_.soundEffectsOn = readBool(*doc, kSoundEffectsOn, defaults.soundEffectsOn);
    options_.reducedMotion = readBool(*doc, kReducedMotion, defaults.reducedMotion);
    options_.speedPercent = readClamped(*doc, kSpeedPercent, EngineOptions::kMinSpeedPercent,
                                        EngineOptions::kMaxSpeedPercent, defaults.speedPercent);
    const QString voice = valueOf(*doc, kVoice).trimmed();
    options_.voice = isVoiceName(voice) ? voice : QString();
    options_.listenOn = readBool(*doc, kListenOn, defaults.listenOn);
    options_.listeningKey = checkedKeyName(valueOf(*doc, kListeningKey));
    const QString device = valueOf(*doc, kInputDevice);
    options_.inputDevice = isInputDeviceId(device) ? device : QString();
    options_.thresholdPercent = readClamped(*doc, kThreshold, 0, 100, defaults.thresholdPercent);
}

Status OptionsStore::set(const EngineOptions& options) {
    EngineOptions checked = options;
    checked.speedPercent =
        std::clamp(checked.speedPercent, EngineOptions::kMinSpeedPercent, EngineOptions::kMaxSpeedPercent);
    if (!isVoiceName(checked.voice)) {
        checked.voice.clear();
    }
    checked.listeningKey = checkedKeyName(checked.listeningKey);
    if (!isInputDeviceId(checked.inputDevice)) {
        checked.inputDevice.clear();
    }
    checked.thresholdPercent = std::clamp(checked.thresholdPercent, 0, 100);
    const bool differs = !(checked == options_);
    options_ = checked;

    Status written;
    // IniFile makes the folder; a folder in the file's place is told in our own words.
    if (QFileInfo(path_).isDir()) {
        written = fail(QStringLiteral("%1: is a folder").arg(path_));
    } else {
        // Read again just before writing, so that what another program wrote meanwhile is kept.
        written = ini::IniFile(path_).update([&checked](IniDocument& doc) {
            doc.setValue(kGroup, kBalloonOn, boolText(checked.balloonOn));
            doc.setValue(kGroup, kBalloonFont,
                         checked.balloonFont ? fontToText(*checked.balloonFont) : QString());
            doc.setValue(kGroup, kSpeechOn, boolText(checked.speechOn));
            doc.setValue(kGroup, kSoundEffectsOn, boolText(checked.soundEffectsOn));
            doc.setValue(kGroup, kReducedMotion, boolText(checked.reducedMotion));
            doc.setValue(kGroup, kSpeedPercent, QString::number(checked.speedPercent));
            doc.setValue(kGroup, kVoice, checked.voice);
            doc.setValue(kGroup, kListenOn, boolText(checked.listenOn));
            doc.setValue(kGroup, kListeningKey, checked.listeningKey);
            doc.setValue(kGroup, kInputDevice, checked.inputDevice);
            doc.setValue(kGroup, kThreshold, QString::number(checked.thresholdPercent));
        });
    }
    if (differs) {
        emit changed();
    }
    return written;
}

}  // namespace agent::render
