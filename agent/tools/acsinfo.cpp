// acsinfo: tells what a character file holds, or exports its frames as PNG pictures.
//   acsinfo FILE                summary as text
//   acsinfo --json FILE         the same as JSON, for scripts
//   acsinfo --export DIR FILE   every frame as PNG and one contact sheet per animation
#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"
#include "agent/format/tray_icon.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTextStream>

#include <cstdio>

using agent::format::AcsFile;
using agent::format::Animation;
using agent::format::FrameComposer;

namespace {

QString hexColor(QRgb c) {
    return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

QJsonObject summary(const AcsFile& file, const QString& path) {
    const auto& info = file.info();
    QJsonObject o;
    o[QStringLiteral("file")] = path;
    o[QStringLiteral("bytes")] = double(file.fileSize());
    if (const auto* l = file.localized()) {
        o[QStringLiteral("name")] = l->name;
        o[QStringLiteral("description")] = l->description;
    }
    o[QStringLiteral("version")] = QStringLiteral("%1.%2").arg(info.majorVersion).arg(info.minorVersion);
    o[QStringLiteral("guid")] = info.guid.toString();
    o[QStringLiteral("width")] = info.width;
    o[QStringLiteral("height")] = info.height;
    o[QStringLiteral("transparentIndex")] = info.transparentIndex;
    o[QStringLiteral("flags")] = QStringLiteral("0x%1").arg(info.flags, 8, 16, QLatin1Char('0'));
    o[QStringLiteral("paletteColors")] = int(info.palette.size());
    o[QStringLiteral("trayIcon")] = info.trayIcon.has_value();
    if (info.voice) {
        QJsonObject v;
        v[QStringLiteral("engine")] = info.voice->engine.toString();
        v[QStringLiteral("speed")] = double(info.voice->speed);
        v[QStringLiteral("pitch")] = info.voice->pitch;
        if (info.voice->hasExtra) {
            v[QStringLiteral("language")] = info.voice->language;
            v[QStringLiteral("gender")] = info.voice->gender;
            v[QStringLiteral("age")] = info.voice->age;
            v[QStringLiteral("style")] = info.voice->style;
        }
        o[QStringLiteral("voice")] = v;
    }
    if (info.balloon) {
        QJsonObject b;
        b[QStringLiteral("lines")] = info.balloon->lines;
        b[QStringLiteral("charsPerLine")] = info.balloon->charsPerLine;
        b[QStringLiteral("font")] = info.balloon->fontName;
        b[QStringLiteral("fontHeight")] = info.balloon->fontHeight;
        b[QStringLiteral("foreground")] = hexColor(info.balloon->foreground);
        b[QStringLiteral("background")] = hexColor(info.balloon->background);
        b[QStringLiteral("border")] = hexColor(info.balloon->border);
        o[QStringLiteral("balloon")] = b;
    }
    QJsonArray names;
    for (const auto& l : info.localized) {
        QJsonObject n;
        n[QStringLiteral("language")] = QStringLiteral("0x%1").arg(l.language, 4, 16, QLatin1Char('0'));
        n[QStringLiteral("name")] = l.name;
        names.append(n);
    }
    o[QStringLiteral("localized")] = names;
    QJsonObject states;
    for (const auto& s : info.states) {
        states[s.name] = QJsonArray::fromStringList(s.animations);
    }
    o[QStringLiteral("states")] = states;
    QJsonArray animations;
    for (const Animation& a : file.animations()) {
        QJsonObject j;
        j[QStringLiteral("name")] = a.name;
        j[QStringLiteral("frames")] = int(a.frames.size());
        j[QStringLiteral("durationMs")] = double(a.durationMs());
        j[QStringLiteral("transition")] = a.transition;
        if (!a.returnAnimation.isEmpty()) {
            j[QStringLiteral("return")] = a.returnAnimation;
        }
        animations.append(j);
    }
    o[QStringLiteral("animations")] = animations;
    qint64 pixels = 0;
    QJsonArray damaged;
    for (int i = 0; i < file.imageCount(); ++i) {
        if (const auto img = file.imageInfo(i)) {
            pixels += qint64(img->width) * img->height;
        } else {
            damaged.append(img.error());
        }
    }
    o[QStringLiteral("images")] = file.imageCount();
    o[QStringLiteral("imagePixels")] = double(pixels);
    if (!damaged.isEmpty()) {
        o[QStringLiteral("damagedImages")] = damaged;
    }
    qint64 soundBytes = 0;
    for (const auto& s : file.sounds()) {
        soundBytes += s.size;
    }
    o[QStringLiteral("sounds")] = int(file.sounds().size());
    o[QStringLiteral("soundBytes")] = double(soundBytes);
    if (!file.leftOut().isEmpty()) {
        o[QStringLiteral("leftOut")] = QJsonArray::fromStringList(file.leftOut());
    }
    return o;
}

void printText(const QJsonObject& o, QTextStream& out) {
    out << "File:        " << o[QStringLiteral("file")].toString() << " ("
        << o[QStringLiteral("bytes")].toInteger() << " bytes)\n";
    out << "Name:        " << o[QStringLiteral("name")].toString() << "\n";
    out << "Description: " << o[QStringLiteral("description")].toString() << "\n";
    out << "Version:     " << o[QStringLiteral("version")].toString() << ", GUID "
        << o[QStringLiteral("guid")].toString() << "\n";
    out << "Size:        " << o[QStringLiteral("width")].toInt() << "x" << o[QStringLiteral("height")].toInt()
        << ", transparent index " << o[QStringLiteral("transparentIndex")].toInt() << ", flags "
        << o[QStringLiteral("flags")].toString() << "\n";
    out << "Voice:       " << (o.contains(QStringLiteral("voice")) ? "yes" : "no") << "; balloon: "
        << (o.contains(QStringLiteral("balloon"))
                ? o[QStringLiteral("balloon")].toObject()[QStringLiteral("font")].toString()
                : QStringLiteral("no"))
        << "; tray icon: " << (o[QStringLiteral("trayIcon")].toBool() ? "yes" : "no") << "\n";
    out << "Names:       " << o[QStringLiteral("localized")].toArray().size() << " languages\n";
    const QJsonObject states = o[QStringLiteral("states")].toObject();
    out << "States:      " << states.size() << "\n";
    for (auto it = states.begin(); it != states.end(); ++it) {
        QStringList list;
        for (const auto& v : it.value().toArray()) {
            list << v.toString();
        }
        out << "  " << it.key() << ": " << list.join(QStringLiteral(", ")) << "\n";
    }
    const QJsonArray animations = o[QStringLiteral("animations")].toArray();
    out << "Animations:  " << animations.size() << "\n";
    for (const auto& v : animations) {
        const QJsonObject a = v.toObject();
        out << "  " << qSetFieldWidth(28) << Qt::left << a[QStringLiteral("name")].toString()
            << qSetFieldWidth(0) << a[QStringLiteral("frames")].toInt() << " frames, "
            << a[QStringLiteral("durationMs")].toInteger() << " ms\n";
    }
    out << "Images:      " << o[QStringLiteral("images")].toInt() << " ("
        << o[QStringLiteral("imagePixels")].toInteger() << " pixels)\n";
    for (const QJsonValue& damaged : o[QStringLiteral("damagedImages")].toArray()) {
        out << "  damaged: " << damaged.toString() << "\n";
    }
    out << "Sounds:      " << o[QStringLiteral("sounds")].toInt() << " ("
        << o[QStringLiteral("soundBytes")].toInteger() << " bytes)\n";
    for (const QJsonValue& damage : o[QStringLiteral("leftOut")].toArray()) {
        out << "Left out:    " << damage.toString() << "\n";
    }
}

QString safeName(const QString& name) {
    QString out;
    for (QChar c : name) {
        out +=
            (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')) ? c : QLatin1Char('_');
    }
    return out.isEmpty() ? QStringLiteral("_") : out;
}

int exportFrames(const AcsFile& file, const QString& dir, QTextStream& err) {
    if (!QDir().mkpath(dir)) {
        err << "acsinfo: cannot create " << dir << "\n";
        return 1;
    }
    FrameComposer composer(file, 0);  // each frame is drawn once
    const int w = file.info().width;
    const int h = file.info().height;
    int failures = 0;
    int written = 0;
    for (int a = 0; a < file.animations().size(); ++a) {
        const Animation& anim = file.animations()[a];
        const QString base = QDir(dir).filePath(
            QStringLiteral("%1_%2").arg(a, 3, 10, QLatin1Char('0')).arg(safeName(anim.name)));
        const int n = int(anim.frames.size());
        if (n == 0) {
            continue;
        }
        const int columns = std::min(n, 8);
        const int rows = (n + columns - 1) / columns;
        QImage sheet(columns * w, rows * h, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(Qt::transparent);
        QPainter painter(&sheet);
        for (int f = 0; f < n; ++f) {
            const agent::Result<QImage> composed = composer.compose(a, f, -1);
            if (!composed) {
                err << "acsinfo: " << anim.name << " frame " << f << ": " << composed.error() << "\n";
                ++failures;
                continue;
            }
            const QImage& frame = *composed;
            painter.drawImage((f % columns) * w, (f / columns) * h, frame);
            const QString path = QStringLiteral("%1_%2.png").arg(base).arg(f, 3, 10, QLatin1Char('0'));
            if (!frame.save(path, "PNG")) {
                err << "acsinfo: cannot write " << path << "\n";
                ++failures;
            } else {
                ++written;
            }
        }
        painter.end();
        if (!sheet.save(base + QStringLiteral("_sheet.png"), "PNG")) {
            err << "acsinfo: cannot write " << base << "_sheet.png\n";
            ++failures;
        }
    }
    if (file.info().trayIcon) {
        // A damaged icon is only worth a warning: the frames are what the export is for.
        const agent::Result<QImage> icon = agent::format::decodeTrayIcon(*file.info().trayIcon);
        if (!icon) {
            err << "acsinfo: " << icon.error() << "\n";
        } else if (!icon->save(QDir(dir).filePath(QStringLiteral("tray_icon.png")), "PNG")) {
            err << "acsinfo: cannot write tray_icon.png\n";
            ++failures;
        }
    }
    err << "acsinfo: wrote " << written << " frames to " << dir << "\n";
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("acsinfo"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows what a character (.acs) file holds, or exports its frames."));
    parser.addHelpOption();
    QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the summary as JSON."));
    QCommandLineOption exportDir(
        QStringLiteral("export"),
        QStringLiteral("Write every frame and a contact sheet per animation as PNG into DIR."),
        QStringLiteral("DIR"));
    parser.addOption(json);
    parser.addOption(exportDir);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The character file."));
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << "usage: acsinfo [--json] [--export DIR] FILE\n";
        return 2;
    }
    const QString path = parser.positionalArguments().first();
    AcsFile file;
    if (const agent::Status loaded = file.load(path); !loaded) {
        err << "acsinfo: " << path << ": " << loaded.error() << "\n";
        return 1;
    }
    if (parser.isSet(exportDir)) {
        err.flush();
        return exportFrames(file, parser.value(exportDir), err);
    }
    const QJsonObject o = summary(file, path);
    if (parser.isSet(json)) {
        out << QJsonDocument(o).toJson(QJsonDocument::Indented);
    } else {
        printText(o, out);
    }
    // A file with a damaged image is summed up all the same, but is not a good file.
    // A file with damage, read past or not, is not passed as good.
    return o.contains(QStringLiteral("damagedImages")) || o.contains(QStringLiteral("leftOut")) ? 1 : 0;
}
