// The options file is an INI file read and written through QSettings, which replaces it atomically and keeps
// keys it does not know. Every value is checked on its own, since people edit these files by hand.
#include "agent/render/engine_options.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace agent::render {

namespace {

const QString kGroup = QStringLiteral("Options");
const QString kBalloonOn = QStringLiteral("BalloonOn");
const QString kBalloonFont = QStringLiteral("BalloonFont");
const QString kSpeechOn = QStringLiteral("SpeechOn");
const QString kSoundEffectsOn = QStringLiteral("SoundEffectsOn");
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
// Sound servers name their sources in well under this ("alsa_input.pci-0000_00_1f.3.analog-stereo").
constexpr int kMaxInputDeviceIdLength = 300;

bool readBool(const QSettings& settings, const QString& key, bool fallback) {
    const QString text = settings.value(key).toString().trimmed().toLower();
    if (text == u"true" || text == u"1" || text == u"yes" || text == u"on") {
        return true;
    }
    if (text == u"false" || text == u"0" || text == u"no" || text == u"off") {
        return false;
    }
    return fallback;
}

int readSpeed(const QSettings& settings, const QString& key, int fallback) {
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    return ok ? std::clamp(value, EngineOptions::kMinSpeedPercent, EngineOptions::kMaxSpeedPercent)
              : fallback;
}

int readPercent(const QSettings& settings, const QString& key, int fallback) {
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    return ok ? std::clamp(value, 0, 100) : fallback;
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
    const QStringList parts = text.trimmed().split(u',');
    const qsizetype count = parts.size();
    bool sized = false;
    if (count >= 2) {
        parts[1].toDouble(&sized);
    }
    if (!sized || count > 17 || (count > 2 && count < 10)) {
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
    if (!QFileInfo(path_).isFile()) {
        return;
    }
    // Only read: a QSettings with nothing set never writes its file.
    const QSettings settings(path_, QSettings::IniFormat);
    const EngineOptions defaults;
    const QString prefix = kGroup + u'/';
    options_.balloonOn = readBool(settings, prefix + kBalloonOn, defaults.balloonOn);
    options_.balloonFont = fontFromText(settings.value(prefix + kBalloonFont).toString());
    options_.speechOn = readBool(settings, prefix + kSpeechOn, defaults.speechOn);
    options_.soundEffectsOn = readBool(settings, prefix + kSoundEffectsOn, defaults.soundEffectsOn);
    options_.speedPercent = readSpeed(settings, prefix + kSpeedPercent, defaults.speedPercent);
    const QString voice = settings.value(prefix + kVoice).toString().trimmed();
    options_.voice = isVoiceName(voice) ? voice : QString();
    options_.listenOn = readBool(settings, prefix + kListenOn, defaults.listenOn);
    options_.listeningKey = checkedKeyName(settings.value(prefix + kListeningKey).toString());
    const QString device = settings.value(prefix + kInputDevice).toString();
    options_.inputDevice = isInputDeviceId(device) ? device : QString();
    options_.thresholdPercent = readPercent(settings, prefix + kThreshold, defaults.thresholdPercent);
}

bool OptionsStore::set(const EngineOptions& options) {
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
    error_.clear();

    bool written = false;
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath())) {
        error_ = QStringLiteral("%1: cannot create the folder").arg(path_);
    } else if (info.isDir()) {
        error_ = QStringLiteral("%1: is a folder").arg(path_);
    } else {
        QSettings settings(path_, QSettings::IniFormat);
        settings.beginGroup(kGroup);
        settings.setValue(kBalloonOn, checked.balloonOn);
        settings.setValue(kBalloonFont, checked.balloonFont ? fontToText(*checked.balloonFont) : QString());
        settings.setValue(kSpeechOn, checked.speechOn);
        settings.setValue(kSoundEffectsOn, checked.soundEffectsOn);
        settings.setValue(kSpeedPercent, checked.speedPercent);
        settings.setValue(kVoice, checked.voice);
        settings.setValue(kListenOn, checked.listenOn);
        settings.setValue(kListeningKey, checked.listeningKey);
        settings.setValue(kInputDevice, checked.inputDevice);
        settings.setValue(kThreshold, checked.thresholdPercent);
        settings.endGroup();
        settings.sync();
        written = settings.status() != QSettings::AccessError;
        if (!written) {
            error_ = QStringLiteral("%1: cannot be written").arg(path_);
        }
    }
    if (differs) {
        emit changed();
    }
    return written;
}

}  // namespace agent::render
