// How the settings file's text is read and edited: hand-written files must read the way a person means them,
// and an edit must leave every other line alone. Then locks left by writers killed at the wrong moment.
#include <gtest/gtest.h>

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <optional>

#include "agent/ini/ini_file.h"
#include "tests/support/qt_printers.h"

using agent::ini::IniDocument;
using agent::ini::IniFile;

TEST(IniDocument, ReadsHandWrittenFilesAsMeantEditsOnlyTheLineOfTheKeyAndQuotesWhatNeedsIt) {
    const IniDocument doc = IniDocument::parse(
        "; a comment = not a key\n"
        "orphan=before any section\n"
        "[Data]\r\n"
        "  Announce = 15  \r\n"
        "# another comment\n"
        "UserName=Ann = Bob ; friends\n"
        "Quoted=\"half open\n"
        "Escaped=\"tab\\there\\x41\"\n"
        "[ data ]\n"
        "format=0\n"
        "Announce=99\n");
    QStringList values;
    // A second section of the same name is searched too, but the first key found wins.
    for (const QString at : {"Data/Announce", "Data/UserName", "Data/Quoted", "Data/Escaped", "DATA/FORMAT",
                             "Data/orphan", "Data/; a comment"}) {  // section/key
        values << doc.value(at.section(u'/', 0, 0), at.section(u'/', 1)).value_or("<absent>");
    }
    EXPECT_EQ(values, (QStringList{"15", "Ann = Bob ; friends", "\"half open", "tab\thereA", "0", "<absent>",
                                   "<absent>"}));

    // An edit changes only the line of the key.
    const QByteArray text =
        "# keep me\n"
        "[Data]\n"
        "mode=simple\n"
        "\n"
        "; trailing comment of Data\n"
        "[Other]\n"
        "x=1\n"
        "\xff\xfe garbage line\n";
    IniDocument edited = IniDocument::parse(text);
    edited.setValue("DATA", "MODE", "advanced");
    edited.setValue("data", "Announce", "7");
    edited.setValue("Third", "k", "v");
    const QByteArray out = edited.serialize();
    EXPECT_EQ(out,
              QByteArray(text).replace("mode=simple\n", "mode=advanced\nAnnounce=7\n") + "\n[Third]\nk=v\n");
    const IniDocument again = IniDocument::parse(out);
    EXPECT_EQ(std::tuple(again.value("data", "mode"), again.value("Other", "X"), again.entries().size()),
              std::tuple(std::optional<QString>("advanced"), std::optional<QString>("1"), 4));

    // Values that need quoting survive, plain ones stay plain; names that could not be read back are refused.
    for (const auto& [value, encoded] : {std::pair{"The time is 3 O clock", "The time is 3 O clock"},
                                         {"a=b;c[d]", "a=b;c[d]"},
                                         {"", ""},
                                         {" O clock ", "\" O clock \""},
                                         {"two\nlines", "\"two\\nlines\""}}) {
        EXPECT_EQ(IniDocument::encodeValue(value), encoded);
    }
    // Plain, quoted, escaped quotes and backslashes, the short escapes and the hexadecimal ones.
    for (const QString value : {"\"", "\"quoted\"", "end\\", "\t", "\x7f", "\r\n", "x\"y\\\"z"}) {
        EXPECT_EQ(IniDocument::decodeValue(IniDocument::encodeValue(value)), value) << value.toStdString();
    }

    for (const QString good : {"Data", "data", "Announce", "Ünïcode key", "a.b"}) {
        EXPECT_TRUE(IniDocument::isValidKeyName(good) && IniDocument::isValidSectionName(good))
            << good.toStdString();
    }
    for (const QString bad : {"", " lead", "trail ", "a=b", "[x", "; c", "# c", "line\nbreak"}) {
        EXPECT_FALSE(IniDocument::isValidKeyName(bad)) << bad.toStdString();
    }
    for (const QString bad : {"", "a]b", "a[b", " x", "x\ty\n"}) {
        EXPECT_FALSE(IniDocument::isValidSectionName(bad)) << bad.toStdString();
    }
}

// An update still goes through once such a lock has stayed a while (QLockFile alone would wait half a minute
// for a lock that names no process).
TEST(IniFileLocks, LeftoverLocksOfKilledWritersAreTakenOver) {
    // A lock naming a process that is not running (pids stop well below this), as a killed writer leaves it.
    const QByteArray dead = "4194000\nhoralia\n" + QSysInfo::machineHostName().toUtf8() + "\n";
    const std::tuple<const char*, QByteArray, std::optional<QByteArray>> cases[] = {
        {"a lock naming no process", "", std::nullopt},
        {"a dead writer's lock and an empty removal lock", dead, QByteArray()},
        {"a dead writer's lock and removal lock", dead, dead},
    };
    for (const auto& [name, lockBytes, removal] : cases) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        IniFile file(dir.filePath("settings.ini"));
        for (const auto& [suffix, bytes] :
             {std::pair{".lock", std::optional(lockBytes)}, {".lock.rmlock", removal}}) {
            QFile lock(file.path() + suffix);
            ASSERT_TRUE(!bytes || (lock.open(QIODevice::WriteOnly) && lock.write(*bytes) == bytes->size()));
        }
        const agent::Status written =
            file.update([](IniDocument& doc) { doc.setValue("Data", "After", "yes"); });
        ASSERT_TRUE(written) << written.error().toStdString();
        EXPECT_EQ(file.load()->value("Data", "After"), "yes");
        EXPECT_FALSE(QFile::exists(file.path() + ".lock"));
    }
}
