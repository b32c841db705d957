// The desktop engine on genuine character files copied into a character folder of the test's own, with
// virtual time and voices the test drives by hand.
#pragma once

#include <QFile>
#include <QImage>
#include <QMenu>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "agent/render/character_voice.h"
#include "agent/render/desktop_control.h"
#include "agent/render/frame_timer.h"
#include "tests/support/speech_fakes.h"
#include "tests/support/test_data.h"

namespace testsupport {

// Virtual time for the desktop engine: a clock that moves only when the test says so, and timers that fire
// as that time passes their moment, in order, as Qt's would.
class VirtualEngineTime final : public agent::render::EngineTime {
public:
    ~VirtualEngineTime() override {
        for (Timer* timer : timers_) {
            timer->time_ = nullptr;
        }
    }

    const agent::speech::MonotonicClock& clock() const override { return clock_; }
    std::unique_ptr<agent::render::FrameTimer> makeTimer() override { return std::make_unique<Timer>(*this); }

    int armedTimers() const { return int(std::ranges::count_if(timers_, &Timer::isActive)); }

    // Moves time on by ms, firing each timer whose moment comes, earliest first. A timer armed again from its
    // own handler for no time at all fires again within the same moment, up to a bound that stops a runaway.
    void advance(qint64 ms) {
        const qint64 end = clock_.now + ms;
        for (int fired = 0; fired < 100000; ++fired) {
            Timer* next = nullptr;
            for (Timer* timer : timers_) {
                if (timer->isActive() && timer->dueMs_ <= end && (!next || timer->dueMs_ < next->dueMs_)) {
                    next = timer;
                }
            }
            if (next == nullptr) {
                break;
            }
            clock_.now = std::max(clock_.now, next->dueMs_);
            next->active_ = false;
            next->ring();
        }
        clock_.now = end;
    }

private:
    class Timer final : public agent::render::FrameTimer {
    public:
        explicit Timer(VirtualEngineTime& time) : time_(&time) { time.timers_.push_back(this); }
        ~Timer() override {
            if (time_ != nullptr) {
                std::erase(time_->timers_, this);
            }
        }
        void start(int ms) override {
            active_ = time_ != nullptr;
            dueMs_ = (time_ != nullptr ? time_->clock_.now : 0) + std::max(ms, 0);
        }
        void stop() override { active_ = false; }
        bool isActive() const override { return active_; }
        void ring() const { fire(); }

        VirtualEngineTime* time_;
        bool active_ = false;
        qint64 dueMs_ = 0;
    };

    agent::speech::fakes::ManualClock clock_;
    std::vector<Timer*> timers_;
};

// A voice the engine tests drive by hand: it notes what it was asked to say and raises its events only when
// the test says so, so a statement lasts exactly as long as the test wants.
class HandVoice final : public agent::render::CharacterVoice {
public:
    struct Log {
        QStringList spoken;
        int stops = 0;
        bool soundOn = true;
        // A voice with nothing to synthesize, or none at all, may be over before speak() returns.
        bool endAtOnce = false;
        agent::speech::VoiceChoice voice;
    };

    explicit HandVoice(std::shared_ptr<Log> log) : log_(std::move(log)) {}

    void speak(const QString& text) override {
        log_->spoken << text;
        if (log_->endAtOnce) {
            events_.finished();
        }
    }
    void stop() override { ++log_->stops; }
    void setSoundOn(bool on) override { log_->soundOn = on; }
    void setVoice(const agent::speech::VoiceChoice& voice) override { log_->voice = voice; }

    void start(const QString& shown, qint64 durationMs = 1000) const { events_.started(shown, durationMs); }
    void word(int shownEnd) const { events_.wordReached(shownEnd); }
    void mouth(int shape) const { events_.mouthChanged(shape); }
    void finish() const { events_.finished(); }

private:
    std::shared_ptr<Log> log_;
};

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
