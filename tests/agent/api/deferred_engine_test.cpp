// Stand-in controls: the engine is made by the first control that is used, once for all of them; calls and
// events pass through; an engine that cannot be made fails every load with its reason.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "agent/deferred_engine.h"

using namespace agent;

namespace {

struct RecordingControl final : Control {
    explicit RecordingControl(QStringList& calls) : calls(calls) {}
    Status load(const QString& id, const QString& fileName) override {
        calls << "load " + id + " " + fileName;
        return {};
    }
    void unload(const QString& id) override { calls << "unload " + id; }
    Character* item(const QString&) override { return nullptr; }
    void showPropertySheet() override { calls << "options"; }
    QStringList& calls;
};

struct RecordingEngine final : Engine {
    std::unique_ptr<Control> makeControl() override {
        ++made;
        return std::make_unique<RecordingControl>(calls);
    }
    QStringList calls;
    int made = 0;
};

// A deferred engine whose maker counts how often it is asked and answers what it is given.
std::shared_ptr<DeferredEngine> deferred(int& makes, const Result<std::shared_ptr<Engine>>& answer) {
    return std::make_shared<DeferredEngine>([&makes, answer] {
        ++makes;
        return answer;
    });
}

}  // namespace

TEST(DeferredEngine, TheFirstControlUsedMakesTheEngineOnceCallsPassThroughAndAFailureIsTriedOnce) {
    int makes = 0;
    auto recording = std::make_shared<RecordingEngine>();
    auto engine = deferred(makes, std::shared_ptr<Engine>(recording));
    std::unique_ptr<Control> first = engine->makeControl();
    std::unique_ptr<Control> second = engine->makeControl();
    // Asking after a character, or letting one go, needs no engine.
    EXPECT_EQ(first->item("Genie"), nullptr);
    first->unload("Genie");
    EXPECT_EQ(makes, 0);

    EXPECT_TRUE(second->load("Genie", "genie.acs"));
    first->showPropertySheet();
    first->unload("Merlin");
    // one engine, with a control of its own for each stand-in
    EXPECT_EQ(std::pair(makes, recording->made), std::pair(1, 2));
    EXPECT_EQ(recording->calls, (QStringList{"load Genie genie.acs", "options", "unload Merlin"}));
    // (Commands and drags passing through are the desktop suite's menu and drag checks.)

    // An engine that cannot be made fails every load with its reason and is tried once.
    int failedMakes = 0;
    auto failing = deferred(failedMakes, fail("no engine here"));
    for (const std::unique_ptr<Control>& control : {failing->makeControl(), failing->makeControl()}) {
        EXPECT_EQ(control->load("Genie", "genie.acs").error(), "no engine here");
        control->showPropertySheet();
    }
    EXPECT_EQ(failedMakes, 1);

    // The desktop engine's module, looked for in a folder without it.
    QTemporaryDir empty;
    const auto desktop = loadDesktopEngine(empty.path(), {}, "engine.ini");
    EXPECT_TRUE(desktop.error().startsWith("the character engine cannot be loaded: ") &&
                desktop.error().contains(empty.path()))
        << desktop.error().toStdString();
}
