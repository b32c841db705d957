#include "agent/render/engine_options.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using agent::render::EngineOptions;
using agent::render::OptionsStore;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

EngineOptions changedOptions() {
    EngineOptions o;
    o.balloonOn = false;
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSizeF(13.5);
    font.setBold(true);
    o.balloonFont = font;
    o.speechOn = false;
    o.soundEffectsOn = false;
    o.speedPercent = 175;
    o.voice = QStringLiteral("gmw/en-GB-x-rp+f2");
    return o;
}

class OptionsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("HoraliaIIV/engine.ini")); }
};

TEST_F(OptionsStoreTest, MissingFileGivesDefaultsAndIsNotCreated) {
    OptionsStore store(path());
    EXPECT_EQ(store.options(), EngineOptions{});
    EXPECT_FALSE(QFileInfo::exists(path()));
}

TEST_F(OptionsStoreTest, WhatIsSetIsReadBackByTheNextRun) {
    const EngineOptions wanted = changedOptions();
    {
        OptionsStore store(path());
        ASSERT_TRUE(store.set(wanted)) << store.errorString().toStdString();
        EXPECT_EQ(store.options(), wanted);
    }
    OptionsStore next(path());
    EXPECT_EQ(next.options(), wanted);
    ASSERT_TRUE(next.options().balloonFont);
    EXPECT_EQ(next.options().balloonFont->family(), QStringLiteral("DejaVu Serif"));
    EXPECT_DOUBLE_EQ(next.options().balloonFont->pointSizeF(), 13.5);

    // And back to the character's own font and voice.
    ASSERT_TRUE(next.set(EngineOptions{}));
    EXPECT_EQ(OptionsStore(path()).options(), EngineOptions{});
}

TEST_F(OptionsStoreTest, KeysItDoesNotKnowAreKept) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path()).absolutePath()));
    writeAll(path(), "[Later]\nSomething=kept\n");
    OptionsStore store(path());
    ASSERT_TRUE(store.set(changedOptions()));
    EXPECT_TRUE(readAll(path()).contains("Something=kept"));
}

TEST_F(OptionsStoreTest, EachBadValueFallsBackAloneAndTheOthersStay) {
    // One line per option spoiled at a time; every other option keeps its stored, non-default value.
    const struct {
        const char* key;
        const char* value;
        void (*expect)(const EngineOptions&);
    } cases[] = {
        {"BalloonOn", "maybe", [](const EngineOptions& o) { EXPECT_TRUE(o.balloonOn); }},
        {"BalloonOn", "", [](const EngineOptions& o) { EXPECT_TRUE(o.balloonOn); }},
        {"SpeechOn", "2", [](const EngineOptions& o) { EXPECT_TRUE(o.speechOn); }},
        {"SoundEffectsOn", "\"\"", [](const EngineOptions& o) { EXPECT_TRUE(o.soundEffectsOn); }},
        {"SoundEffectsOn", "OFF", [](const EngineOptions& o) { EXPECT_FALSE(o.soundEffectsOn); }},
        {"SpeedPercent", "fast", [](const EngineOptions& o) { EXPECT_EQ(o.speedPercent, 100); }},
        {"SpeedPercent", "99999999999", [](const EngineOptions& o) { EXPECT_EQ(o.speedPercent, 100); }},
        {"SpeedPercent", "1000", [](const EngineOptions& o) { EXPECT_EQ(o.speedPercent, 200); }},
        {"SpeedPercent", "-5", [](const EngineOptions& o) { EXPECT_EQ(o.speedPercent, 50); }},
        {"SpeedPercent", " 120 ", [](const EngineOptions& o) { EXPECT_EQ(o.speedPercent, 120); }},
        {"BalloonFont", "Sans", [](const EngineOptions& o) { EXPECT_FALSE(o.balloonFont); }},
        {"BalloonFont", "\",,,,,,,,,,,,\"", [](const EngineOptions& o) { EXPECT_FALSE(o.balloonFont); }},
        {"BalloonFont", "\"Sans,900,-1,5,400,0,0,0,0,0,0,0,0,0,0,1\"",
         [](const EngineOptions& o) { EXPECT_FALSE(o.balloonFont); }},
        {"BalloonFont", "\"Sans,abc,-1,5,400,0,0,0,0,0,0,0,0,0,0,1\"",
         [](const EngineOptions& o) { EXPECT_FALSE(o.balloonFont); }},
        {"Voice", "../../../etc/passwd", [](const EngineOptions& o) { EXPECT_TRUE(o.voice.isEmpty()); }},
        {"Voice", "en us; rm", [](const EngineOptions& o) { EXPECT_TRUE(o.voice.isEmpty()); }},
    };
    const EngineOptions stored = changedOptions();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        QTemporaryDir here;
        const QString file = here.filePath(QStringLiteral("engine.ini"));
        {
            OptionsStore writer(file);
            ASSERT_TRUE(writer.set(stored));
        }
        QByteArray text = readAll(file);
        const QByteArray key = QByteArray(c.key) + '=';
        const qsizetype at = text.indexOf(key);
        ASSERT_GE(at, 0);
        const qsizetype end = text.indexOf('\n', at);
        text.replace(at, end - at, key + c.value);
        writeAll(file, text);

        EngineOptions got = OptionsStore(file).options();
        c.expect(got);
        EngineOptions others = got;
        const QByteArray k(c.key);
        // Everything but the spoiled option is as stored.
        if (k == "BalloonOn")
            others.balloonOn = stored.balloonOn;
        if (k == "SpeechOn")
            others.speechOn = stored.speechOn;
        if (k == "SoundEffectsOn")
            others.soundEffectsOn = stored.soundEffectsOn;
        if (k == "SpeedPercent")
            others.speedPercent = stored.speedPercent;
        if (k == "BalloonFont")
            others.balloonFont = stored.balloonFont;
        if (k == "Voice")
            others.voice = stored.voice;
        EXPECT_EQ(others, stored);
    }
}

TEST_F(OptionsStoreTest, AFileThatIsNoIniFileGivesDefaultsAndIsLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path()).absolutePath()));
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.append(char((i * 7919) & 0xFF));
    }
    writeAll(path(), garbage);
    const QDateTime modified = QFileInfo(path()).lastModified();
    {
        OptionsStore store(path());
        EXPECT_EQ(store.options(), EngineOptions{});
    }
    EXPECT_EQ(readAll(path()), garbage);
    EXPECT_EQ(QFileInfo(path()).lastModified(), modified);
}

TEST_F(OptionsStoreTest, WhenTheFileCannotBeWrittenTheOptionsStillApply) {
    // A folder where the file should be: nothing can be read or written there.
    ASSERT_TRUE(QDir().mkpath(path()));
    OptionsStore store(path());
    EXPECT_EQ(store.options(), EngineOptions{});
    QSignalSpy changed(&store, &OptionsStore::changed);
    EXPECT_FALSE(store.set(changedOptions()));
    EXPECT_FALSE(store.errorString().isEmpty());
    EXPECT_EQ(store.options(), changedOptions());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(OptionsStoreTest, ChangedIsRaisedOnlyForARealChange) {
    OptionsStore store(path());
    QSignalSpy changed(&store, &OptionsStore::changed);
    ASSERT_TRUE(store.set(EngineOptions{}));
    EXPECT_EQ(changed.count(), 0);
    EngineOptions slower;
    slower.speedPercent = 60;
    ASSERT_TRUE(store.set(slower));
    EXPECT_EQ(changed.count(), 1);
    ASSERT_TRUE(store.set(slower));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(OptionsStoreTest, ValuesOutsideTheirRangeAreCorrectedWhenSet) {
    OptionsStore store(path());
    EngineOptions wild;
    wild.speedPercent = 5000;
    wild.voice = QStringLiteral("no such/../voice");
    ASSERT_TRUE(store.set(wild));
    EXPECT_EQ(store.options().speedPercent, 200);
    EXPECT_TRUE(store.options().voice.isEmpty());
    EXPECT_EQ(OptionsStore(path()).options(), store.options());
}

TEST(EngineOptionsText, FontsAndVoiceNames) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(11);
    font.setItalic(true);
    EXPECT_EQ(agent::render::fontFromText(agent::render::fontToText(font)), font);
    EXPECT_FALSE(agent::render::fontFromText(QString()));
    EXPECT_FALSE(agent::render::fontFromText(QStringLiteral("Sans,2")));
    EXPECT_TRUE(agent::render::fontFromText(QStringLiteral("Sans,12")));

    for (const char* good : {"en-us", "gmw/en-US", "en-gb+f3", "roa/pt-BR", "zh_yue"}) {
        EXPECT_TRUE(agent::render::isVoiceName(QLatin1String(good))) << good;
    }
    for (const char* bad : {"", "en us", "../x", "en\n", "\"en\""}) {
        EXPECT_FALSE(agent::render::isVoiceName(QLatin1String(bad))) << bad;
    }
}

}  // namespace
