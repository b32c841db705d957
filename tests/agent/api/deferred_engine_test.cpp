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
    void click(const QString& command) const { raiseCommand(UserInput{command, QStringLiteral("Genie")}); }
    void drag(int x) const { raiseDragComplete(DragEvent{QStringLiteral("Genie"), 1, 0, x, 0}); }

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

TEST(DeferredEngine, TheFirstControlUsedMakesTheEngineOnceAndCallsAndEventsPassThrough) {
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

    QStringList events;
    second->setCommandHandler([&](const UserInput& input) { events << "command " + input.name; });
    second->setDragCompleteHandler(
        [&](const DragEvent& event) { events << "drag " + QString::number(event.x); });
    recording->made[0]->click(QStringLiteral("Time"));
    recording->made[0]->drag(40);
    EXPECT_EQ(events, (QStringList{"command Time", "drag 40"}));
}

TEST(DeferredEngine, AnEngineThatCannotBeMadeFailsEveryLoadWithItsReasonAndIsTriedOnce) {
    int makes = 0;
    auto engine = std::make_shared<DeferredEngine>([&]() -> Result<std::shared_ptr<Engine>> {
        ++makes;
        return fail(QStringLiteral("no engine here"));
    });
    std::unique_ptr<Control> first = engine->makeControl();
    std::unique_ptr<Control> second = engine->makeControl();
    for (Control* control : {first.get(), second.get()}) {
        const Status loaded = control->load(QStringLiteral("Genie"), QStringLiteral("genie.acs"));
        EXPECT_FALSE(loaded);
        EXPECT_EQ(loaded.error(), "no engine here");
        control->showPropertySheet();
        EXPECT_EQ(control->item(QStringLiteral("Genie")), nullptr);
    }
    EXPECT_EQ(makes, 1);
}

TEST(DeferredEngine, AMissingModuleIsNamedInTheFailure) {
    QTemporaryDir empty;
    Result<std::shared_ptr<Engine>> engine = loadDesktopEngine(
        empty.path(), {empty.filePath(QStringLiteral("chars"))}, QStringLiteral("engine.ini"));
    ASSERT_FALSE(engine);
    EXPECT_TRUE(engine.error().startsWith("the character engine cannot be loaded: "))
        << engine.error().toStdString();
    EXPECT_TRUE(engine.error().contains(empty.path())) << engine.error().toStdString();
}
