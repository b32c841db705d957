// The engine's options: as stored, as text, as the desktop asks for them, and in their window, whose voice
// list comes from the real espeak-ng data of this machine; and the characters' frame sounds: WAVE files
// decoded, and played through an output or refused; and the desktop engine's voice on the real synthesizer:
// every statement ends with finished(), whatever becomes of it, or its character would wait for ever; spoken
// output off still paces the words.
#include "agent/format/acs_writer.h"
#include "agent/render/desktop_motion.h"
#include "agent/render/engine_options.h"
#include "agent/render/options_window.h"
#include "agent/render/sound_effects.h"
#include "agent/render/speaker_voice.h"
#include "agent/render/wave_sound.h"
#include "tests/agent/format/acs_test_files.h"
#include "tests/agent/format/sample_character.h"
#include "tests/agent/render/wave_test_bytes.h"
#include "tests/support/qt_printers.h"
#include "tests/support/speech_fakes.h"
#include "tests/support/test_data.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

using namespace agent::render;
using namespace soundtest;
using agent::speech::InstalledVoice;
using Samples = std::vector<std::int16_t>;

namespace {

// Every option away from its default, in their order: balloon, font, speech, sound effects, reduced motion,
// speed, voice, speech input, listening key, microphone and threshold.
EngineOptions changedOptions() {
    EngineOptions o{false, QFont("DejaVu Serif"), false, false, true,
                    175,   "gmw/en-GB-x-rp+f2",   false, "F9",  "alsa_input.usb-Blue_Yeti-00.analog-stereo",
                    65};
    o.balloonFont->setPointSizeF(13.5);
    o.balloonFont->setBold(true);
    return o;
}

TEST(OptionsStore, EachBadValueFallsBackAloneAndTheOthersStay) {
    // One line spoiled at a time; every other option keeps its stored, non-default value.
    const auto noFont = [](EngineOptions& o) { o.balloonFont.reset(); };
    // The key, its spoiled value, and what becomes of the stored options.
    const std::tuple<const char*, const char*, void (*)(EngineOptions&)> cases[] = {
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
    QTemporaryDir dir;
    QFile file(dir.filePath("engine.ini"));
    ASSERT_TRUE(OptionsStore(file.fileName()).set(changedOptions()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    file.close();
    for (const auto& c : cases) {
        const auto& [name, value, expect] = c;
        SCOPED_TRACE(std::string(name) + "=" + value);
        const QByteArray key = QByteArray(name) + '=';
        const qsizetype at = stored.indexOf(key);
        ASSERT_GE(at, 0);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(stored).replace(at, stored.indexOf('\n', at) - at, key + value));
        // Qt reads an INI file again only when its time or size has changed: the time moves on a second a
        // case. A write at close would set the time again.
        file.flush();
        file.setFileTime(QDateTime::currentDateTime().addSecs(&c - cases + 1),
                         QFileDevice::FileModificationTime);
        file.close();
        EngineOptions expected = changedOptions();
        expect(expected);
        EXPECT_EQ(OptionsStore(file.fileName()).options(), expected);
    }
}

// What the file cases above do not reach: a short hand-written font, and names a line of the file cannot
// hold.
TEST(EngineOptionsText, FontsVoiceNamesListeningKeysAndInputDevices) {
    EXPECT_TRUE(fontFromText("Sans,12"));
    EXPECT_TRUE(isVoiceName("zh_yue"));
    EXPECT_FALSE(isVoiceName(QString()));
    EXPECT_EQ(std::pair(findListeningKey("Pause")->keysym, findListeningKey("F12")->keysym),
              std::pair(0xff13u, 0xffc9u));
    EXPECT_EQ(findListeningKey("F13"), nullptr);
    EXPECT_FALSE(isInputDeviceId(QString()));
    EXPECT_FALSE(isInputDeviceId("a\rb"));
    EXPECT_FALSE(isInputDeviceId(QString(400, u'x')));
}

TEST(DesktopMotion, ThePortalsReducedMotionOrGnomesAnimationsOff) {
    const QString appearance = "org.freedesktop.appearance";
    const QString gnome = "org.gnome.desktop.interface";
    const std::tuple<QString, QString, QVariant, std::optional<bool>> cases[] = {
        {appearance, "reduced-motion", QVariant::fromValue(1u), true},
        {appearance, "reduced-motion", QVariant::fromValue(0u), false},
        {appearance, "reduced-motion", QVariant(QStringLiteral("1")), std::nullopt},
        {appearance, "color-scheme", QVariant::fromValue(1u), std::nullopt},
        {gnome, "enable-animations", QVariant(false), true},
        {gnome, "enable-hot-corners", QVariant(false), std::nullopt},
    };
    for (const auto& [group, key, value, reduced] : cases) {
        EXPECT_EQ(reducedMotionSetting(group, key, value), reduced)
            << key.toStdString() << " " << value.toString().toStdString();
    }
    DesktopMotion motion;  // no portal on the test's bus, or no bus at all
    EXPECT_FALSE(motion.reduced());
    QSignalSpy changed(&motion, &DesktopMotion::changed);
    motion.take(gnome, "enable-animations", QVariant(false));
    motion.take(appearance, "reduced-motion", QVariant::fromValue(1u));
    motion.take(gnome, "enable-animations", QVariant(true));
    EXPECT_TRUE(motion.reduced()) << "the portal's own key still asks";
    motion.take(appearance, "reduced-motion", QVariant::fromValue(0u));
    EXPECT_EQ(std::tuple(motion.reduced(), changed.count()), std::tuple(false, 2));
}

// ---- The window ----

const QList<InstalledVoice> kVoices = {
    {"gmw/en-GB-x-rp", "English (Received Pronunciation)", "en-gb", agent::speech::VoiceGender::Male},
    {"gmw/en-US", "English (America)", "en-us", agent::speech::VoiceGender::Unspecified}};

const QList<InputDevice> kInputs = {
    {"alsa_input.pci-0000_00_1f.3.analog-stereo", "Built-in Audio Analog Stereo"},
    {"alsa_input.usb-Blue_Yeti-00.analog-stereo", "Yeti Stereo Microphone"}};

template <typename T>
T* child(OptionsWindow* w, const char* name) {
    T* found = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
// Clicks a widget, or the button of the window's button box; a check box only answers on its box and its
// text, at its left.
void click(QWidget* widget) {
    const QPoint at =
        qobject_cast<QCheckBox*>(widget) ? QPoint(6, widget->height() / 2) : widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}
void click(OptionsWindow* w, QDialogButtonBox::StandardButton which) {
    click(w->findChild<QDialogButtonBox*>()->button(which));
}

TEST(OptionsWindow, FontIsChosenAndCanGoBackToTheCharactersAndAFailedSaveKeepsTheWindow) {
    QTemporaryDir dir;
    OptionsStore store{dir.filePath("engine.ini")};
    QList<QFont> offered;
    std::optional<QFont> nextFont;
    const OptionsWindowSetup setup{
        .chooseFont =
            [&](const QFont& initial, QWidget*) {
                offered.append(initial);
                return nextFont;
            },
        .listVoices = [] { return kVoices; },
        .listInputs = [] { return kInputs; },
    };
    OptionsWindow* w = OptionsWindow::open(store, setup);
    auto* label = child<QLabel>(w, "fontName");
    auto* own = child<QPushButton>(w, "ownFont");
    EXPECT_EQ(std::pair(label->text(), own->isEnabled()), std::pair(QString("Character's own font"), false));

    // A cancelled choice changes nothing.
    click(child<QPushButton>(w, "font"));
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(label->text(), "Character's own font");
    EXPECT_FALSE(w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Apply)->isEnabled());

    const QFont serif("DejaVu Serif", 18);
    nextFont = serif;
    click(child<QPushButton>(w, "font"));
    EXPECT_EQ(label->text(), "DejaVu Serif, 18 pt");
    ASSERT_TRUE(own->isEnabled());
    click(w, QDialogButtonBox::Apply);
    EXPECT_EQ(store.options().balloonFont, serif);

    // The chooser starts from the chosen font.
    nextFont.reset();
    click(child<QPushButton>(w, "font"));
    EXPECT_EQ(offered.mid(2), QList<QFont>{serif});

    click(own);
    EXPECT_EQ(label->text(), "Character's own font");
    click(w, QDialogButtonBox::Ok);
    EXPECT_FALSE(store.options().balloonFont);

    // A failed save is shown and keeps the window open.
    const QString folder = dir.filePath("blocked.ini");
    ASSERT_TRUE(QDir().mkpath(folder));
    OptionsStore unwritable(folder);
    OptionsWindow* blocked = OptionsWindow::open(unwritable, setup);
    click(child<QCheckBox>(blocked, "sounds"));
    click(blocked, QDialogButtonBox::Ok);
    EXPECT_EQ(OptionsWindow::find(unwritable), blocked);
    EXPECT_FALSE(unwritable.options().soundEffectsOn) << "it still applies for this run";
    auto* error = child<QLabel>(blocked, "error");
    EXPECT_TRUE(error->isVisible());
    EXPECT_TRUE(error->text().contains(folder)) << error->text().toStdString();
    blocked->close();

    // A store that goes takes its window with it.
    auto going = std::make_unique<OptionsStore>(dir.filePath("going.ini"));
    const QPointer<OptionsWindow> orphan = OptionsWindow::open(*going, setup);
    going.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(orphan.isNull());
}

// A voice or microphone chosen but no longer there stays choosable, so that OK does not drop it.
TEST(OptionsWindowText, VoiceAndInputEntries) {
    EXPECT_EQ(voiceEntries(kVoices, "gmw/en-US"),
              (QList<VoiceEntry>{{"Character's own voice", ""},
                                 {"English (Received Pronunciation) (en-gb, male)", "gmw/en-GB-x-rp"},
                                 {"English (America) (en-us)", "gmw/en-US"}}));
    EXPECT_EQ(voiceEntries({}, "roa/it"),
              (QList<VoiceEntry>{{"Character's own voice", ""}, {"roa/it (not installed)", "roa/it"}}));
    // One without a description shows its id.
    EXPECT_EQ(
        inputEntries({{"usb-mic", ""}}, "bt-headset"),
        (QList<VoiceEntry>{
            {"Default input", ""}, {"usb-mic", "usb-mic"}, {"bt-headset (not connected)", "bt-headset"}}));
}

TEST(VoiceList, MissingVoiceDataGivesAnEmptyListAndAReason) {
    QTemporaryDir empty;
    const QString error = agent::speech::installedVoices(empty.path()).error();
    EXPECT_TRUE(error.contains("not found")) << error.toStdString();
    // The installed data still works afterwards, and lists the same each time.
    const QList<InstalledVoice> listed = agent::speech::installedVoices().valueOr({});
    EXPECT_FALSE(listed.isEmpty());
    EXPECT_EQ(agent::speech::installedVoices().valueOr({}), listed);
}

// ---- The frame sounds ----

Samples decoded(const QByteArray& bytes) {
    const auto sound = decodeWave(bytes);
    EXPECT_TRUE(sound) << sound.error().toStdString();
    return sound ? sound->samples : Samples{};
}

// A Microsoft ADPCM format chunk body, with the usual seven coefficient pairs unless told otherwise.
QByteArray adpcmFormatBody(int channels, int blockAlign,
                           std::initializer_list<int> coefficients = {256, 0, 512, -256, 0, 0, 192, 64, 240,
                                                                      0, 460, -208, 392, -232}) {
    const int count = int(coefficients.size());
    const int samplesPerBlock = (blockAlign - 7 * channels) * 2 / channels + 2;
    return u16({2, channels}) + u32(8000) + u32(4000) +
           u16({blockAlign, 4, 4 + count * 2, samplesPerBlock, count / 2}) + u16(coefficients);
}

// An ADPCM block: each channel's header is its predictor, step, and the two samples that start the block (the
// later one first, as stored), the channels interleaved field by field; then the nibbles.
QByteArray adpcmBlock(std::initializer_list<std::array<int, 4>> channels, const QByteArray& nibbles) {
    QByteArray out;
    for (int field = 0; field < 4; ++field) {
        for (const std::array<int, 4>& c : channels) {
            out += field == 0 ? QByteArray(1, char(c[0])) : u16({c[field]});
        }
    }
    return out + nibbles;
}

TEST(WaveSound, WalksPastOtherChunksAndTheirPadding) {
    // An odd-sized chunk is followed by a pad byte that belongs to no chunk.
    const QByteArray list = chunk("LIST", QByteArray("INFOabc", 7));
    ASSERT_EQ(list.size(), 16);
    EXPECT_EQ(decoded(riff(chunk("fmt ", formatBody(1, 1, 8000, 16)) + list + chunk("fact", u32(1)) +
                           chunk("data", u16({7, -7})))),
              (Samples{7, -7}));
    // An 18-byte format chunk (with its extension size) and a data chunk of odd length, its last byte dropped
    // with the partial frame; the file ends without the pad byte.
    const QByteArray format = formatBody(1, 1, 8000, 16) + u16({0});
    EXPECT_EQ(decoded(riff(chunk("fmt ", format) + chunk("data", u16({300}) + "\x01", false))),
              (Samples{300}));
    // WAVE_FORMAT_EXTENSIBLE: the real format is the first two bytes of the sub-format GUID.
    const QByteArray extensible =
        formatBody(0xFFFE, 1, 8000, 16) + u16({22, 16}) + u32(4) + u16({1}) + QByteArray(14, '\x11');
    EXPECT_EQ(decoded(riff(chunk("fmt ", extensible) + chunk("data", u16({9})))), (Samples{9}));
}

TEST(WaveSound, DecodesMicrosoftAdpcmBlockByBlock) {
    // Hand-worked from the format's description. Predictor 0 repeats the last sample; predictor 1 extends
    // the line through the last two. Each block starts with its two stored samples, the earlier one first.
    const QByteArray mono = adpcmBlock({{0, 16, 100, 50}}, QByteArray("\x01\xF0", 2)) +
                            adpcmBlock({{1, 16, 100, 50}}, QByteArray(2, 0));
    EXPECT_EQ(decoded(riff(chunk("fmt ", adpcmFormatBody(1, 9)) + chunk("data", mono))),
              (Samples{50, 100, 100, 116, 100, 100, 50, 100, 150, 200, 250, 300}));

    // Large steps grow the step size (614/256 after a 7); a short last block gives what it holds. Without
    // coefficients in the format chunk the standard ones apply.
    const QByteArray growing = adpcmBlock({{0, 100, 0, 0}}, "\x77");
    EXPECT_EQ(decoded(riff(chunk("fmt ", adpcmFormatBody(1, 9, {})) + chunk("data", growing))),
              (Samples{0, 0, 700, 2373}));

    // Stereo: nibbles alternate left and right; the channels are averaged.
    const QByteArray stereo = adpcmBlock({{0, 16, 100, 50}, {1, 16, 300, 100}}, QByteArray(1, 0));
    EXPECT_EQ(decoded(riff(chunk("fmt ", adpcmFormatBody(2, 15)) + chunk("data", stereo))),
              (Samples{75, 200, 300}));
}

TEST(WaveSound, RefusesWhatItCannotPlayWithAReason) {
    const QByteArray pcm = u16({1, 2, 3, 4});
    const QByteArray good = wave(1, 8000, 16, pcm);
    const QByteArray fmt = chunk("fmt ", formatBody(1, 1, 8000, 16));
    const auto adpcm = [](int channels, int blockAlign, const QByteArray& data) {
        return riff(chunk("fmt ", adpcmFormatBody(channels, blockAlign)) + chunk("data", data));
    };
    // What is wrong, the file, and a word the error must contain.
    const std::tuple<const char*, QByteArray, const char*> cases[] = {
        {"not RIFF", "RIFX" + good.mid(4), "RIFF"},
        {"not WAVE", good.left(8) + "AVI " + good.mid(12), "RIFF"},
        {"chunk size past the end", riff(fmt) + "data" + u32(0xFFFFFFF0u) + pcm, "remain"},
        {"format chunk too short",
         riff(chunk("fmt ", formatBody(1, 1, 8000, 16).left(14)) + chunk("data", pcm)), "short"},
        {"no data chunk", riff(fmt), "data"},
        {"data before format", riff(chunk("data", pcm) + fmt), "format"},
        {"IEEE float", riff(chunk("fmt ", formatBody(3, 1, 8000, 32)) + chunk("data", pcm)), "PCM"},
        {"ADPCM predictor past the table", adpcm(1, 9, adpcmBlock({{7, 16, 0, 0}}, u16({0}))), "predictor"},
        {"ADPCM block smaller than its header", adpcm(1, 7, adpcmBlock({{0, 16, 0, 0}}, {})), "blocks"},
        {"ADPCM with three channels", adpcm(3, 30, QByteArray(30, 0)), "blocks"},
        {"ADPCM coefficients past the chunk",
         riff(chunk("fmt ", adpcmFormatBody(1, 9).left(24)) + chunk("data", QByteArray(9, 0))),
         "coefficients"},
        {"ADPCM without a whole header", adpcm(1, 9, QByteArray(6, 0)), "no samples"},
        {"zero channels", wave(0, 8000, 16, pcm), "channels"},
        {"nine channels", wave(9, 8000, 16, pcm), "channels"},
        {"zero rate", wave(1, 0, 16, pcm), "rate"},
        {"rate too high", wave(1, 1000000, 16, pcm), "rate"},
        {"24-bit", wave(1, 8000, 24, QByteArray(6, '\1')), "bits"},
        {"less than a frame", wave(2, 8000, 16, QByteArray(3, '\1')), "no samples"},
    };
    for (const auto& [name, bytes, reason] : cases) {
        const QString error = decodeWave(bytes).error();
        EXPECT_TRUE(error.contains(QLatin1String(reason), Qt::CaseInsensitive))
            << name << ": " << error.toStdString();
    }
}

TEST(WaveSound, GenuineCharactersSoundsDecode) {
    const QString dir = testsupport::acsTestDataDir();
    if (dir.isEmpty()) {
        GTEST_SKIP() << "no genuine character files";
    }
    int checked = 0;
    for (const char* name : {"Genie.acs", "Merlin.acs", "spaceman.acs"}) {
        agent::format::AcsFile file;
        ASSERT_TRUE(formattest::succeeds(file.load(dir + u'/' + QLatin1String(name))));
        ASSERT_FALSE(file.sounds().isEmpty()) << name;
        for (int i = 0; i < file.sounds().size(); ++i, ++checked) {
            SCOPED_TRACE(testing::Message() << name << " sound " << i);
            const auto sound = decodeWave(file.sound(i));
            ASSERT_TRUE(sound) << sound.error().toStdString();
            EXPECT_GE(sound->sampleRate, 8000);
            // Frame sounds are short effects, and none is silent.
            EXPECT_TRUE(sound->durationMs() > 0 && sound->durationMs() < 60000) << sound->durationMs();
            EXPECT_NE(std::count(sound->samples.begin(), sound->samples.end(), 0),
                      std::ssize(sound->samples));
        }
    }
    EXPECT_GT(checked, 2);
}

TEST(SoundEffects, BadSoundsDisabledEffectsOrNoOutputStaySilent) {
    agent::format::CharacterData c = formattest::sampleCharacter();
    c.sounds = {{wave(1, 11025, 8, QByteArray(110, '\x80')), 1},
                {wave(2, 22050, 16, u16({100, 300, -100, -300})), 2},
                {QByteArray("RIFF\x04\0\0\0WAVE", 12), 3}};
    agent::format::AcsFile file;
    ASSERT_TRUE(formattest::succeeds(file.loadData(agent::format::writeCharacter(c, {}).valueOr({}))));
    agent::speech::fakes::ManualOutput output;
    SoundEffects effects{output};

    ASSERT_TRUE(effects.play(file, 0));
    // Bad sounds are refused and the current one goes on.
    for (int index : {-1, 3, 0xFFFF}) {
        EXPECT_TRUE(effects.play(file, index).error().contains("does not exist")) << index;
    }
    EXPECT_TRUE(effects.play(file, 2).error().startsWith("sound 2:"));
    EXPECT_EQ(std::pair(output.starts, output.stops), std::pair(1, 0));
    effects.setEnabled(false);
    EXPECT_EQ(output.stops, 1);
    EXPECT_FALSE(effects.play(file, 1));
    EXPECT_EQ(output.starts, 1);
    effects.setEnabled(true);
    EXPECT_TRUE(effects.play(file, 1));

    // No output is a failure, not a crash.
    effects.stop();
    output.stops = 0;
    output.available = false;
    EXPECT_EQ(effects.play(file, 0).error(), "no sound output");
    effects.stop();
    EXPECT_EQ(output.stops, 0);

    agent::speech::SilentOutput silent;
    EXPECT_FALSE(SoundEffects(silent).play(file, 0));
}

// ---- The voice ----

using agent::speech::fakes::ManualClock;
using agent::speech::fakes::ManualOutput;

TEST(SpeakerVoice, AStatementStartsRevealsItsWordsMovesTheMouthAndEndsOnceEvenWithNothingToSay) {
    ManualClock clock;
    agent::speech::SpeechThread thread;
    auto out = std::make_unique<ManualOutput>();
    out->available = false;  // no sound server: the words keep the time of the samples
    ManualOutput* output = out.get();
    agent::render::SpeakerVoice voice(thread, std::move(out), clock);
    QStringList log;
    QList<qint64> durations;
    int mouths = 0;
    voice.setEvents({
        [&](const QString& shown, qint64 ms) {
            log << "start:" + shown;
            durations << ms;
        },
        [&](int shownEnd) { log << QStringLiteral("word:%1").arg(shownEnd); },
        [&](int) { ++mouths; },
        [&] { log << "end"; },
        [&](int mark) { log << QStringLiteral("mark:%1").arg(mark); },
    });
    // Synthesis runs on its own thread; the player's timer then follows the clock, which the test moves on.
    const auto runToEnd = [&] {
        return QTest::qWaitFor(
            [&] {
                clock.now += 1000;
                return log.count("end") >= 1;
            },
            10000);
    };
    voice.speak(R"(\Spd=180\Good morning\Mrk=7\ everybody)");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(std::tuple(log.first(), durations.size(), log.filter("word:").size(), log.filter("mark:"),
                         log.last(), log.count("end")),
              std::tuple("start:Good morning everybody", 1, 3, QStringList{"mark:7"}, "end", 1));
    EXPECT_GT(durations.value(0), 500) << "a sentence reports its length when it starts";
    EXPECT_GT(mouths, 2);
    EXPECT_EQ(output->starts, 1) << "with spoken output on, the sound is offered to the output";

    // With spoken output off nothing sounds, but the words still come.
    log.clear();
    voice.setSoundOn(false);
    voice.speak("Quiet please");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(std::tuple(output->starts, log.filter("word:").size()), std::tuple(1, 2));

    // Stop ends the statement once.
    log.clear();
    voice.speak("one two three four five six seven eight");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.isEmpty(); }, 10000));
    voice.stop();
    EXPECT_EQ(log.count("end"), 1);
    clock.now += 60000;
    QTest::qWait(50);
    EXPECT_EQ(log.count("end"), 1);

    // Texts with nothing to say end once and tell their length. The clock speaks a single space before it
    // shows a character; such a statement must end too, with spoken output on.
    voice.setSoundOn(true);
    for (const QString text : {" ", "", R"(\Spd=150\\Pit=80\)", R"(\chr="Whisper"\ )"}) {
        SCOPED_TRACE(text.toStdString());
        log.clear();
        durations.clear();
        voice.speak(text);
        ASSERT_TRUE(runToEnd());
        clock.now += 60000;
        QTest::qWait(20);
        EXPECT_EQ(log.count("end"), 1);
        // Nothing to say takes next to no time.
        EXPECT_TRUE(std::all_of(durations.begin(), durations.end(), [](qint64 ms) { return ms < 1000; }));
    }
}

TEST(SpeakerVoiceFailure, AStatementThatCannotBeSpokenStillEnds) {
    QTemporaryDir empty;  // no voice data in it
    agent::speech::SpeechThread thread{agent::speech::EspeakSynthesizer(empty.path())};
    ManualClock clock;
    agent::render::SpeakerVoice voice(thread, std::make_unique<ManualOutput>(), clock);
    QStringList log;
    voice.setEvents({[&](const QString&, qint64) { log << "start"; }, [&](int) { log << "word"; }, [](int) {},
                     [&] { log << "end"; }});
    voice.speak("Hello");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.isEmpty(); }, 10000));
    EXPECT_EQ(log, QStringList{"end"});
}

}  // namespace
