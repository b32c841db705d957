#include "src/app/config_command.h"

namespace horalia::app {

namespace {

const char* const kUsage =
    "usage: horalia config get SECTION KEY\n"
    "       horalia config set SECTION KEY VALUE\n"
    "       horalia config list\n";

int fail(QTextStream& err, const QString& message) {
    err << "horalia config: " << message << '\n';
    err.flush();
    return 1;
}

}  // namespace

int runConfigCommand(const QStringList& args, platform::IniSettingsStore& store, QTextStream& out,
                     QTextStream& err) {
    const QString verb = args.value(0);
    if (verb == u"get" && args.size() == 3) {
        agent::Result<agent::ini::IniDocument> doc = store.load();
        if (!doc) {
            return fail(err, doc.error());
        }
        std::optional<QString> value = doc->value(args[1], args[2]);
        if (!value) {
            return fail(err, QStringLiteral("no key %1 in section %2").arg(args[2], args[1]));
        }
        out << *value << '\n';
        out.flush();
        return 0;
    }
    if (verb == u"set" && args.size() == 4) {
        if (!agent::ini::IniDocument::isValidSectionName(args[1])) {
            return fail(err, QStringLiteral("not a section name: \"%1\"").arg(args[1]));
        }
        if (!agent::ini::IniDocument::isValidKeyName(args[2])) {
            return fail(err, QStringLiteral("not a key name: \"%1\"").arg(args[2]));
        }
        if (const agent::Status written = store.write(args[1], args[2], args[3]); !written) {
            return fail(err, written.error());
        }
        return 0;
    }
    if (verb == u"list" && args.size() == 1) {
        agent::Result<agent::ini::IniDocument> doc = store.load();
        if (!doc) {
            return fail(err, doc.error());
        }
        QString section;
        bool first = true;
        for (const agent::ini::IniDocument::Entry& entry : doc->entries()) {
            if (first || entry.section != section) {
                out << (first ? "" : "\n") << '[' << entry.section << "]\n";
                section = entry.section;
                first = false;
            }
            out << entry.key << '=' << QString::fromUtf8(agent::ini::IniDocument::encodeValue(entry.value))
                << '\n';
        }
        out.flush();
        return 0;
    }
    err << kUsage;
    err.flush();
    return 1;
}

}  // namespace horalia::app
