// How the settings file's text is read and edited: hand-written files must read the way a person means them,
// and an edit must leave every other line alone.
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include "agent/ini/ini_document.h"

using agent::ini::IniDocument;

namespace {

QString valueOf(const QByteArray& text, const QString& section, const QString& key) {
    return IniDocument::parse(text).value(section, key).value_or(QStringLiteral("<absent>"));
}

}  // namespace

TEST(IniDocument, ReadsHandWrittenFilesAsMeant) {
    const QByteArray text =
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
        "Announce=99\n";
    EXPECT_EQ(valueOf(text, "Data", "Announce"), "15");
    EXPECT_EQ(valueOf(text, "Data", "UserName"), "Ann = Bob ; friends");
    EXPECT_EQ(valueOf(text, "Data", "Quoted"), "\"half open");
    EXPECT_EQ(valueOf(text, "Data", "Escaped"), "tab\thereA");
    // A second section of the same name is searched too, but the first key found wins.
    EXPECT_EQ(valueOf(text, "DATA", "FORMAT"), "0");
    EXPECT_EQ(valueOf(text, "Data", "Announce"), "15");
    EXPECT_EQ(valueOf(text, "Data", "orphan"), "<absent>");
    EXPECT_EQ(valueOf(text, "Data", "; a comment"), "<absent>");
}

TEST(IniDocument, EditChangesOnlyTheLineOfTheKey) {
    const QByteArray text =
        "# keep me\n"
        "[Data]\n"
        "mode=simple\n"
        "\n"
        "; trailing comment of Data\n"
        "[Other]\n"
        "x=1\n"
        "\xff\xfe garbage line\n";
    IniDocument doc = IniDocument::parse(text);
    doc.setValue("DATA", "MODE", "advanced");
    doc.setValue("data", "Announce", "7");
    doc.setValue("Third", "k", "v");
    const QByteArray out = doc.serialize();
    EXPECT_EQ(out,
              "# keep me\n"
              "[Data]\n"
              "mode=advanced\n"
              "Announce=7\n"
              "\n"
              "; trailing comment of Data\n"
              "[Other]\n"
              "x=1\n"
              "\xff\xfe garbage line\n"
              "\n"
              "[Third]\n"
              "k=v\n");
    IniDocument again = IniDocument::parse(out);
    EXPECT_EQ(again.value("data", "mode"), "advanced");
    EXPECT_EQ(again.value("Other", "X"), "1");
    EXPECT_EQ(again.entries().size(), 4);
}

TEST(IniDocument, ValuesThatNeedQuotingSurviveAndPlainOnesStayPlain) {
    EXPECT_EQ(IniDocument::encodeValue("The time is 3 O clock"), "The time is 3 O clock");
    EXPECT_EQ(IniDocument::encodeValue("a=b;c[d]"), "a=b;c[d]");
    EXPECT_EQ(IniDocument::encodeValue(""), "");
    EXPECT_EQ(IniDocument::encodeValue(" O clock "), "\" O clock \"");
    EXPECT_EQ(IniDocument::encodeValue("two\nlines"), "\"two\\nlines\"");
    // Plain, quoted, escaped quotes and backslashes, the short escapes and the hexadecimal ones.
    const QStringList tricky = {"\"", "\"quoted\"", "end\\", "\t", "\x7f", "\r\n", "x\"y\\\"z"};
    for (const QString& value : tricky) {
        EXPECT_EQ(IniDocument::decodeValue(IniDocument::encodeValue(value)), value) << value.toStdString();
    }
}

TEST(IniDocument, RejectsNamesThatCouldNotBeReadBack) {
    for (const QString& good : QStringList{"Data", "data", "Announce", "Ünïcode key", "a.b"}) {
        EXPECT_TRUE(IniDocument::isValidKeyName(good)) << good.toStdString();
        EXPECT_TRUE(IniDocument::isValidSectionName(good)) << good.toStdString();
    }
    for (const QString& bad : QStringList{"", " lead", "trail ", "a=b", "[x", "; c", "# c", "line\nbreak"}) {
        EXPECT_FALSE(IniDocument::isValidKeyName(bad)) << bad.toStdString();
    }
    for (const QString& bad : QStringList{"", "a]b", "a[b", " x", "x\ty\n"}) {
        EXPECT_FALSE(IniDocument::isValidSectionName(bad)) << bad.toStdString();
    }
}
