// The settings dialog, offscreen, on the fake platform, with a recording clock window behind it.
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "src/settings_dialog/frm_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/message_log.h"
#include "tests/support/settings_fakes.h"

namespace testsupport {

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() : fake(at(0, 7)) {}
    // A control the logic names that the window lacks, or one of the wrong kind, fails the test at hand.
    void TearDown() override {
        EXPECT_TRUE(faults.lines().isEmpty()) << faults.lines().join(u'\n').toStdString();
    }
    MessageLog faults{QtCriticalMsg};

    void open(int page = 0) {
        dialog = make([this] { calls << "closeDialog"; });
        dialog->showPage(page);
    }
    // A dialog on the fakes; closeDialog is how it asks its owner to unload it.
    std::unique_ptr<horalia::settings_dialog::frm_settings> make(std::function<void()> closeDialog) {
        horalia::settings_dialog::ClockLink link;
        link.say = [this](const QString& talk, const QString& who) { said << who + ": " + talk; };
        link.view = &view;
        link.timeForeColour = [] { return QColor(0, 0, 255); };
        link.timeBackColour = [] { return QColor(255, 255, 0); };
        link.newcharacter = [this] {
            calls << "newcharacter";
            return true;
        };
        link.newcharacter2 = [this] {
            calls << "newcharacter2";
            return false;
        };
        link.unloadClock = [this] {
            calls << "unloadClock";
            fake.program.endProgram();
        };
        link.closeDialog = std::move(closeDialog);
        return std::make_unique<horalia::settings_dialog::frm_settings>(
            horalia::settings_dialog::DialogContext{fake.platform, colours, autostart, std::move(link)});
    }

    template <typename W = QWidget>
    W* w(const char* name) const {
        W* found = dialog->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* name) const {
        if (auto* line = dialog->findChild<QLineEdit*>(QString::fromLatin1(name))) {
            return line->text();
        }
        return w<QComboBox>(name)->currentText();
    }
    void type(const char* name, const QString& value) {
        auto* line = w<QLineEdit>(name);
        line->clear();
        QTest::keyClicks(line, value);
    }
    void click(const char* name) { QTest::mouseClick(w<QAbstractButton>(name), Qt::LeftButton); }
    bool ticked(const char* name) const { return w<QCheckBox>(name)->isChecked(); }
    QStringList boxTexts() const {
        QStringList texts;
        for (const auto& box : fake.dialogs.boxes) {
            texts << box.text;
        }
        return texts;
    }
    // Writes to one key, values in order.
    QStringList writesOf(const QString& key) const {
        QStringList values;
        for (const QString& write : fake.settings.writes) {
            const qsizetype eq = write.indexOf(u'=');
            if (write.left(eq).section(u'/', 1).compare(key, Qt::CaseInsensitive) == 0) {
                values << write.mid(eq + 1);
            }
        }
        return values;
    }

    FakePlatform fake;
    RecordingView view{fake.clock};
    ScriptedColours colours;
    QTemporaryDir dir;
    horalia::platform::AutostartEntry autostart{dir.path() + "/horalia-deluxe.desktop",
                                                dir.path() + "/autostart/horalia-deluxe.desktop"};
    QStringList said;
    QStringList calls;
    std::unique_ptr<horalia::settings_dialog::frm_settings> dialog;
};

}  // namespace testsupport
