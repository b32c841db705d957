// The desktop engine on genuine character files copied into a character folder of the test's own, with
// virtual time and voices the test drives by hand.
#pragma once

#include <QFile>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "agent/render/desktop_control.h"
#include "tests/support/engine_time.h"
#include "tests/support/render_fakes.h"
#include "tests/support/test_data.h"

namespace testsupport {

// A point of the lower half of the picture that the character covers, or (-1, -1) where there is none.
inline QPoint opaquePoint(const QImage& picture) {
    for (int y = picture.height() / 2; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(picture.pixel(x, y)) > 0) {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}

// A pop-up menu's entries as their texts, "---" for a separator.
inline QStringList menuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions()) {
        texts << (a->isSeparator() ? QStringLiteral("---") : a->text());
    }
    return texts;
}

class DesktopEngineTest : public ::testing::Test {
protected:
    // Copies the genuine files into the folder; the test is skipped when there are none (check IsSkipped()).
    void copyCharacters(std::initializer_list<const char*> names) {
        const QString data = acsTestDataDir();
        if (data.isEmpty()) {
            GTEST_SKIP() << "no character files";
        }
        ASSERT_TRUE(folder.isValid());
        for (const char* name : names) {
            ASSERT_TRUE(QFile::copy(data + u'/' + QLatin1String(name), folder.filePath(QLatin1String(name))));
        }
        options =
            std::make_shared<agent::render::OptionsStore>(folder.filePath(QStringLiteral("engine.ini")));
    }

    agent::render::DesktopEnvironment environment() {
        agent::render::DesktopEnvironment env;
        env.characterFolders = {folder.path()};
        env.options = options;
        env.time = &time;
        env.random = [seed = seed] { return agent::render::seededRandom(seed); };
        env.makeVoice = [this] {
            auto v = std::make_unique<HandVoice>(voiceLog);
            voices.push_back(v.get());
            return v;
        };
        env.voiceInput = input;
        return env;
    }

    VirtualEngineTime time;  // outlives the controls and the voice input
    QTemporaryDir folder;
    std::uint32_t seed = 7;
    std::shared_ptr<agent::render::OptionsStore> options;
    std::shared_ptr<HandVoice::Log> voiceLog = std::make_shared<HandVoice::Log>();
    std::vector<HandVoice*> voices;
    std::shared_ptr<agent::render::VoiceInput> input;  // null: no spoken commands
};

}  // namespace testsupport
