// Stand-in controls: the engine is made by the first control that is used, once for all of them; calls and
// events pass through; an engine that cannot be made fails every load with its reason.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "agent/deferred_engine.h"

using namespace agent;

namespace {

class RecordingControl final : public Control {
public:
    explicit RecordingControl(QStringList& calls) : calls_(calls) {}
    Status load(const QString& id, const QString& fileName) override {
        calls_ << "load " + id + " " + fileName;
        return {};
    }
    void unload(const QString& id) override { calls_ << "unload " + id; }
    Character* item(const QString&) override { return nullptr; }
    void showPropertySheet() override { calls_ << "options"; }

private:
    QStringList& calls_;
};

class RecordingEngine final : public Engine {
public:
    std::unique_ptr<Control> makeControl() override {
        auto control = std::make_unique<RecordingControl>(calls);
        made.push_back(control.get());
        return control;
    }
    QStringList calls;
    std::vector<RecordingControl*> made;
};

}  // namespace

TEST(DeferredEngine, TheFirstControlUsedMakesTheEngineOnceAndCallsPassThrough) {
    int makes = 0;
    auto recording = std::make_shared<RecordingEngine>();
    auto engine = std::make_shared<DeferredEngine>([&]() -> Result<std::shared_ptr<Engine>> {
        ++makes;
        return std::shared_ptr<Engine>(recording);
    });
    std::unique_ptr<Control> first = engine->makeControl();
    std::unique_ptr<Control> second = engine->makeControl();
    // Asking after a character, or letting one go, needs no engine.
    EXPECT_EQ(first->item(QStringLiteral("Genie")), nullptr);
    first->unload(QStringLiteral("Genie"));
    EXPECT_EQ(makes, 0);

    EXPECT_TRUE(second->load(QStringLiteral("Genie"), QStringLiteral("genie.acs")));
    first->showPropertySheet();
    first->unload(QStringLiteral("Merlin"));
    EXPECT_EQ(makes, 1);
    ASSERT_EQ(recording->made.size(), 2u);  // a control of the engine's own for each stand-in
    EXPECT_EQ(recording->calls, (QStringList{"load Genie genie.acs", "options", "unload Merlin"}));
    // (Commands and drags passing through are the desktop suite's menu and drag checks.)
}

TEST(DeferredEngine, AnEngineThatCannotBeMadeFailsEveryLoadWithItsReasonAndIsTriedOnce) {
    int makes = 0;
    auto engine = std::make_shared<DeferredEngine>([&]() -> Result<std::shared_ptr<Engine>> {
        ++makes;
        return fail(QStringLiteral("no engine here"));
    });
    for (const std::unique_ptr<Control>& control : {engine->makeControl(), engine->makeControl()}) {
        EXPECT_EQ(control->load(QStringLiteral("Genie"), QStringLiteral("genie.acs")).error(),
                  "no engine here");
        control->showPropertySheet();
    }
    EXPECT_EQ(makes, 1);

    // The desktop engine's module, looked for in a folder without it.
    QTemporaryDir empty;
    const auto desktop = loadDesktopEngine(empty.path(), {}, QStringLiteral("engine.ini"));
    ASSERT_FALSE(desktop);
    EXPECT_TRUE(desktop.error().startsWith("the character engine cannot be loaded: "))
        << desktop.error().toStdString();
    EXPECT_TRUE(desktop.error().contains(empty.path())) << desktop.error().toStdString();
}
