#include "character_builder.h"

#include "figure.h"

#include <QCryptographicHash>
#include <QHash>
#include <QImage>

#include <algorithm>

namespace art {

using namespace agent::format;

namespace {

constexpr int kTransparent = 0;
// Shown nowhere: index 0 is a colour key, but give it a colour no drawing uses.
constexpr QRgb kKeyColor = 0xFFFF00FFu;

// A frame as palette indices, top row first, one byte a pixel.
struct IndexFrame {
    int width = 0;
    int height = 0;
    QByteArray pixels;

    uchar at(int x, int y) const { return uchar(pixels[y * width + x]); }
};

class Builder {
public:
    Builder(const CharacterSource& source, CharacterData* out, BuildStats* stats, QString* error)
        : src_(source), out_(out), stats_(stats), error_(error) {}

    bool run() {
        figure_ = makeFigure(src_.figure, src_.colors);
        if (!figure_) {
            return fail(QStringLiteral("no figure called \"%1\" (robot or plane)").arg(src_.figure));
        }
        palette_.insert(kKeyColor, kTransparent);
        QList<QRgb> palette{kKeyColor};
        for (const auto& [name, rgb] : src_.colors) {
            if (palette_.contains(rgb | 0xFF000000u)) {
                return fail(QStringLiteral("colour %1 repeats another colour").arg(name));
            }
            palette_.insert(rgb | 0xFF000000u, int(palette.size()));
            palette.append(rgb | 0xFF000000u);
        }
        if (!fillInfo(palette)) {
            return false;
        }
        for (const AnimationSource& a : src_.animations) {
            if (!buildAnimation(a)) {
                return false;
            }
        }
        if (!figure_->missingColors().isEmpty()) {
            QStringList names = figure_->missingColors().values();
            names.sort();
            return fail(QStringLiteral("the drawing uses colours the file does not define: %1")
                            .arg(names.join(QStringLiteral(", "))));
        }
        return true;
    }

private:
    bool fail(const QString& message) {
        *error_ = message;
        return false;
    }

    bool fillInfo(const QList<QRgb>& palette) {
        CharacterInfo& ci = out_->info;
        ci.majorVersion = 2;
        ci.minorVersion = 0;
        // The same name gives the same identity, so that rebuilding a character does not make it a new one.
        const QByteArray digest =
            QCryptographicHash::hash("horalia character " + src_.name.toUtf8(), QCryptographicHash::Md5);
        for (int i = 0; i < 16; ++i) {
            ci.guid.bytes[std::size_t(i)] = std::uint8_t(digest[i]);
        }
        ci.width = std::uint16_t(src_.width);
        ci.height = std::uint16_t(src_.height);
        ci.transparentIndex = kTransparent;
        ci.flags = flags::kStandardAnimationSet | flags::kVoiceOutput | flags::kBalloonEnabled |
                   flags::kBalloonSizeToText;
        ci.palette = palette;

        VoiceInfo v;
        bool ok = true;
        auto number = [&](const QMap<QString, QString>& map, const char* key, int fallback) {
            const QString text = map.value(QString::fromLatin1(key));
            if (text.isEmpty()) {
                return fallback;
            }
            bool good = false;
            const int n = text.toInt(&good, 0);
            ok = ok && good;
            return n;
        };
        v.speed = std::uint32_t(number(src_.voice, "speed", 160));
        v.pitch = std::uint16_t(number(src_.voice, "pitch", 100));
        v.hasExtra = true;
        v.language = std::uint16_t(number(src_.voice, "language", 0x0409));
        v.dialect = src_.voice.value(QStringLiteral("dialect"), QStringLiteral("US"));
        v.gender = std::uint16_t(number(src_.voice, "gender", 0));
        v.age = std::uint16_t(number(src_.voice, "age", 0));
        v.style = src_.voice.value(QStringLiteral("style"));
        ci.voice = v;

        BalloonInfo b;
        b.lines = std::uint8_t(number(src_.balloon, "lines", 2));
        b.charsPerLine = std::uint8_t(number(src_.balloon, "chars", 32));
        b.fontName = src_.balloon.value(QStringLiteral("font"), QStringLiteral("Sans"));
        b.fontHeight = number(src_.balloon, "height", -13);
        b.fontWeight = number(src_.balloon, "weight", 400);
        auto rgb = [&](const char* key, QRgb fallback) {
            const QString text = src_.balloon.value(QString::fromLatin1(key));
            if (text.isEmpty()) {
                return fallback;
            }
            const QColor c = QColor::fromString(text);
            ok = ok && c.isValid();
            return c.rgb();
        };
        b.foreground = rgb("fg", qRgb(0, 0, 0));
        b.background = rgb("bg", qRgb(255, 255, 225));
        b.border = rgb("border", qRgb(0, 0, 0));
        ci.balloon = b;
        if (!ok) {
            return fail(QStringLiteral("a voice or balloon value is not a number or a colour"));
        }
        for (const StateSource& s : src_.states) {
            ci.states.append(State{s.name, s.animations});
        }
        ci.localized.append(LocalizedInfo{0x0409, src_.name, src_.description, {}});
        return true;
    }

    struct PlannedFrame {
        Pose pose;
        int duration = 0;
        bool exitPart = false;
    };

    static double ease(double t, const Pose& target) {
        if (target.word(QStringLiteral("ease")) == QLatin1String("linear")) {
            return t;
        }
        return t * t * (3 - 2 * t);
    }

    QList<PlannedFrame> plan(const AnimationSource& a) const {
        QList<PlannedFrame> frames;
        Pose previous = a.keys.first().pose;
        bool exitPart = false;
        for (const Key& k : a.keys) {
            exitPart = exitPart || k.exitHere;
            const int time = k.time > 0 ? k.time : src_.frameTime;
            for (int i = 1; i <= k.steps; ++i) {
                const double t = ease(double(i) / k.steps, k.pose);
                frames.append({blend(previous, k.pose, t), time, exitPart});
            }
            frames.last().duration += k.hold;
            previous = k.pose;
        }
        return frames;
    }

    IndexFrame render(const Pose& pose, int mouth, int frame) {
        QImage image(src_.width, src_.height, QImage::Format_RGB32);
        image.fill(kKeyColor);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, false);
            figure_->draw(p, pose, mouth, frame);
        }
        IndexFrame out{src_.width, src_.height, QByteArray(src_.width * src_.height, '\0')};
        for (int y = 0; y < src_.height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < src_.width; ++x) {
                out.pixels[y * src_.width + x] = char(indexOf(line[x] | 0xFF000000u));
            }
        }
        return out;
    }

    int indexOf(QRgb rgb) {
        const auto it = palette_.constFind(rgb);
        if (it != palette_.constEnd()) {
            return *it;
        }
        // Only a drawing mistake gets here (a blended colour); the nearest colour keeps the frame usable.
        int best = 1;
        int bestDistance = INT_MAX;
        for (auto p = palette_.constBegin(); p != palette_.constEnd(); ++p) {
            const int dr = qRed(p.key()) - qRed(rgb);
            const int dg = qGreen(p.key()) - qGreen(rgb);
            const int db = qBlue(p.key()) - qBlue(rgb);
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance && p.value() != kTransparent) {
                best = p.value();
                bestDistance = d;
            }
        }
        palette_.insert(rgb, best);
        return best;
    }

    // The smallest rectangle holding every pixel where `differs(x, y)` holds.
    template <typename F>
    static QRect boundsWhere(int w, int h, F differs) {
        int x0 = w, y0 = h, x1 = -1, y1 = -1;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (differs(x, y)) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y);
                }
            }
        }
        return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
    }

    // The image index for `area` of `frame`, shared with an earlier image of the same pixels.
    std::uint32_t storeImage(const IndexFrame& frame, const QRect& area) {
        ImageData img;
        img.width = std::uint16_t(area.width());
        img.height = std::uint16_t(area.height());
        img.unknown = 1;
        const int stride = int(rowStride(img.width));
        img.pixels = QByteArray(stride * img.height, char(kTransparent));
        for (int y = 0; y < img.height; ++y) {
            // Stored bottom row first.
            char* row = img.pixels.data() + (img.height - 1 - y) * stride;
            const char* from = frame.pixels.constData() + (area.y() + y) * frame.width + area.x();
            std::copy(from, from + img.width, row);
        }
        QByteArray key = QByteArray::number(img.width) + 'x' + QByteArray::number(img.height) + ':';
        key += img.pixels;
        const auto it = images_.constFind(key);
        if (it != images_.constEnd()) {
            return *it;
        }
        std::uint32_t sum = 0;
        for (char c : img.pixels) {
            sum = sum * 31u + uchar(c);
        }
        img.checksum = sum;
        const auto index = std::uint32_t(out_->images.size());
        out_->images.append(img);
        images_.insert(key, index);
        return index;
    }

    bool buildAnimation(const AnimationSource& a) {
        Animation anim;
        anim.name = a.name;
        anim.returnAnimation = a.returnAnimation;
        const QList<PlannedFrame> planned = plan(a);
        int exitStart = -1;
        for (int i = 0; i < planned.size(); ++i) {
            if (planned[i].exitPart) {
                exitStart = i;
                break;
            }
        }
        anim.transition = std::uint8_t(exitStart >= 0                ? Transition::ExitBranches
                                       : a.returnAnimation.isEmpty() ? Transition::None
                                                                     : Transition::ReturnAnimation);
        const int w = src_.width;
        const int h = src_.height;
        for (int i = 0; i < planned.size(); ++i) {
            const PlannedFrame& pf = planned[i];
            Frame frame;
            frame.duration = std::uint16_t(pf.duration);
            // An animation stopped on its way goes straight to the way back to rest.
            frame.exitFrame = std::int16_t(exitStart >= 0 && i < exitStart ? exitStart : -1);
            // Parts that move on their own count frames back from the last, so that every animation ends
            // exactly on the rest pose's picture.
            const int clock = int(planned.size()) - 1 - i;
            const IndexFrame base = render(pf.pose, -1, clock);
            const QRect area = boundsWhere(w, h, [&](int x, int y) { return base.at(x, y) != kTransparent; });
            if (!area.isEmpty()) {
                frame.images.append(
                    FrameImage{storeImage(base, area), std::int16_t(area.x()), std::int16_t(area.y())});
            }
            if (a.mouths && !area.isEmpty()) {
                addMouths(pf.pose, clock, base, &frame);
            }
            anim.frames.append(frame);
            ++stats_->frames;
        }
        out_->animations.append(anim);
        stats_->images = int(out_->images.size());
        return true;
    }

    // A frame whose mouth cannot be seen (the plane edge-on as it turns) goes without overlays.
    void addMouths(const Pose& pose, int frameNumber, const IndexFrame& base, Frame* frame) {
        QList<IndexFrame> shapes;
        for (int shape = 0; shape < kMouthShapeCount; ++shape) {
            shapes.append(render(pose, shape, frameNumber));
        }
        // Every pixel any mouth changes, so that each overlay covers whatever the others or the frame's own
        // mouth drew there.
        QRect area = boundsWhere(src_.width, src_.height, [&](int x, int y) {
            const uchar b = base.at(x, y);
            for (const IndexFrame& s : shapes) {
                if (s.at(x, y) != b) {
                    return true;
                }
            }
            return false;
        });
        if (area.isEmpty()) {
            return;
        }
        area = area.adjusted(-1, -1, 1, 1).intersected(QRect(0, 0, src_.width, src_.height));
        for (int shape = 0; shape < kMouthShapeCount; ++shape) {
            MouthOverlay o;
            o.shape = std::uint8_t(shape);
            o.image = std::uint16_t(storeImage(shapes[shape], area));
            o.x = std::int16_t(area.x());
            o.y = std::int16_t(area.y());
            o.width = std::uint16_t((area.width() + 1) / 2);
            o.height = std::uint16_t((area.height() + 1) / 2);
            frame->overlays.append(o);
            ++stats_->overlays;
        }
    }

    const CharacterSource& src_;
    CharacterData* out_;
    BuildStats* stats_;
    QString* error_;
    std::unique_ptr<Figure> figure_;
    QHash<QRgb, int> palette_;
    QHash<QByteArray, std::uint32_t> images_;
};

}  // namespace

bool buildCharacter(const CharacterSource& source, CharacterData* out, BuildStats* stats, QString* error) {
    *out = CharacterData{};
    *stats = BuildStats{};
    if (source.colors.size() > 255) {
        *error = QStringLiteral("more than 255 colours");
        return false;
    }
    return Builder(source, out, stats, error).run();
}

}  // namespace art
