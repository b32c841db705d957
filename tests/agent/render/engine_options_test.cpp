#include "agent/render/engine_options.h"
#include "agent/render/desktop_motion.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "agent/ini/ini_file.h"

using agent::render::EngineOptions;
using agent::render::OptionsStore;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Qt keeps INI files it has read and reads one again only when its time or size has changed; a test that
// rewrites a file within the same moment, to the same size, must move its time on.
void writeAll(const QString& path, const QByteArray& bytes) {
    static int written = 0;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.flush();  // a write at close would set the time again
    file.setFileTime(QDateTime::currentDateTime().addSecs(++written), QFileDevice::FileModificationTime);
}

// Every option away from its default.
EngineOptions changedOptions() {
    EngineOptions o{.balloonOn = false,
                    .balloonFont = QFont(QStringLiteral("DejaVu Serif")),
                    .speechOn = false,
                    .soundEffectsOn = false,
                    .reducedMotion = true,
                    .speedPercent = 175,
                    .voice = QStringLiteral("gmw/en-GB-x-rp+f2"),
                    .listenOn = false,
                    .listeningKey = QStringLiteral("F9"),
                    .inputDevice = QStringLiteral("alsa_input.usb-Blue_Yeti-00.analog-stereo"),
                    .thresholdPercent = 65};
    o.balloonFont->setPointSizeF(13.5);
    o.balloonFont->setBold(true);
    return o;
}

class OptionsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HoraliaIIV/engine.ini"));
};

TEST_F(OptionsStoreTest, EachBadValueFallsBackAloneAndTheOthersStay) {
    // One line spoiled at a time; every other option keeps its stored, non-default value.
    const auto noFont = [](EngineOptions& o) { o.balloonFont.reset(); };
    const struct {
        const char* key;
        const char* value;
        void (*expect)(EngineOptions&);  // what becomes of the stored options
    } cases[] = {
        {"BalloonOn", "maybe", [](EngineOptions& o) { o.balloonOn = true; }},
        {"SoundEffectsOn", "OFF", [](EngineOptions&) {}},
        {"SpeedPercent", "fast", [](EngineOptions& o) { o.speedPercent = 100; }},
        {"SpeedPercent", "1000", [](EngineOptions& o) { o.speedPercent = 200; }},
        {"SpeedPercent", "-5", [](EngineOptions& o) { o.speedPercent = 50; }},
        {"BalloonFont", "Sans", noFont},
        {"BalloonFont", "\"Sans,900,-1,5,400,0,0,0,0,0,0,0,0,0,0,1\"", noFont},  // too large
        {"BalloonFont", "\"Sans,2\"", noFont},                                   // too small
        {"Voice", "../../../etc/passwd", [](EngineOptions& o) { o.voice.clear(); }},
        {"Voice", "en us; rm", [](EngineOptions& o) { o.voice.clear(); }},
        {"ListeningKey", "Caps_Lock", [](EngineOptions& o) { o.listeningKey = "Scroll_Lock"; }},
        {"ListeningKey", "pause", [](EngineOptions& o) { o.listeningKey = "Pause"; }},
        {"InputDevice", "\"mic\\tone\"", [](EngineOptions& o) { o.inputDevice.clear(); }},
        {"SpeechInputThreshold", "loud", [](EngineOptions& o) { o.thresholdPercent = 40; }},
    };
    const QString file = dir.filePath(QStringLiteral("engine.ini"));
    ASSERT_TRUE(OptionsStore(file).set(changedOptions()));
    const QByteArray stored = readAll(file);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        const QByteArray key = QByteArray(c.key) + '=';
        const qsizetype at = stored.indexOf(key);
        ASSERT_GE(at, 0);
        writeAll(file, QByteArray(stored).replace(at, stored.indexOf('\n', at) - at, key + c.value));
        EngineOptions expected = changedOptions();
        c.expect(expected);
        EXPECT_EQ(OptionsStore(file).options(), expected);
    }
}

// What the file cases above do not reach: a short hand-written font, and names a line of the file cannot
// hold.
TEST(EngineOptionsText, FontsVoiceNamesListeningKeysAndInputDevices) {
    using namespace agent::render;
    EXPECT_TRUE(fontFromText(QStringLiteral("Sans,12")));
    EXPECT_TRUE(isVoiceName(QStringLiteral("zh_yue")));
    EXPECT_FALSE(isVoiceName(QString()));
    EXPECT_EQ(findListeningKey(QStringLiteral("Pause"))->keysym, 0xff13u);
    EXPECT_EQ(findListeningKey(QStringLiteral("F12"))->keysym, 0xffc9u);
    EXPECT_EQ(findListeningKey(QStringLiteral("F13")), nullptr);
    EXPECT_FALSE(isInputDeviceId(QString()));
    EXPECT_FALSE(isInputDeviceId(QStringLiteral("a\rb")));
    EXPECT_FALSE(isInputDeviceId(QString(400, u'x')));
}

}  // namespace

TEST(DesktopMotion, ThePortalsReducedMotionOrGnomesAnimationsOff) {
    using agent::render::reducedMotionSetting;
    const QString appearance = QStringLiteral("org.freedesktop.appearance");
    const QString gnome = QStringLiteral("org.gnome.desktop.interface");
    const struct {
        QString group, key;
        QVariant value;
        std::optional<bool> reduced;
    } cases[] = {
        {appearance, "reduced-motion", QVariant::fromValue(1u), true},
        {appearance, "reduced-motion", QVariant::fromValue(0u), false},
        {appearance, "reduced-motion", QVariant(QStringLiteral("1")), std::nullopt},
        {appearance, "color-scheme", QVariant::fromValue(1u), std::nullopt},
        {gnome, "enable-animations", QVariant(false), true},
        {gnome, "enable-hot-corners", QVariant(false), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(reducedMotionSetting(c.group, c.key, c.value), c.reduced)
            << c.key.toStdString() << " " << c.value.toString().toStdString();
    }
    agent::render::DesktopMotion motion;  // no portal on the test's bus, or no bus at all
    EXPECT_FALSE(motion.reduced());
    QSignalSpy changed(&motion, &agent::render::DesktopMotion::changed);
    motion.take(gnome, "enable-animations", QVariant(false));
    motion.take(appearance, "reduced-motion", QVariant::fromValue(1u));
    motion.take(gnome, "enable-animations", QVariant(true));
    EXPECT_TRUE(motion.reduced()) << "the portal's own key still asks";
    motion.take(appearance, "reduced-motion", QVariant::fromValue(0u));
    EXPECT_FALSE(motion.reduced());
    EXPECT_EQ(changed.count(), 2);
}
