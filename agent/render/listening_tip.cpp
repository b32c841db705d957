#include "agent/render/listening_tip.h"
#include "agent/render/companion_window.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace agent::render {

namespace {

// Between the character and the tip.
constexpr int kGap = 4;

}  // namespace

QString listeningText(const QString& name) {
    return QStringLiteral("%1 is listening...").arg(name);
}

QString hearingText(const QString& name) {
    return QStringLiteral("%1 hears you...").arg(name);
}

QString notUnderstoodText(const QString& name, const QString& words) {
    const QString heard = words.simplified();
    return heard.isEmpty() ? QStringLiteral("%1 did not hear anything").arg(name)
                           : QStringLiteral("%1 did not understand \"%2\"").arg(name, heard);
}

QString heardText(const QString& name, const QString& words) {
    return QStringLiteral("%1 heard \"%2\"").arg(name, words.simplified());
}

QString cannotListenText(const QString& name, const QString& reason) {
    return QStringLiteral("%1 cannot listen: %2").arg(name, reason);
}

ListeningTip::ListeningTip(QWidget* parent) : QLabel(parent, kCompanionWindowFlags) {
    makeCompanionWindow(*this);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(4);
    setWordWrap(false);
}

void ListeningTip::say(const QString& characterName, const QString& text, const QRect& character,
                       Linger linger) {
    setWindowTitle(characterName + QStringLiteral(": listening tip"));
    setText(text);
    adjustSize();
    place(character);
    leftMs_ = linger == Linger::Held ? -1 : kLingerMs;
    if (!isVisible()) {
        show();
    }
}

void ListeningTip::dismiss() {
    leftMs_ = -1;
    hide();
}

void ListeningTip::advance(int ms) {
    if (leftMs_ < 0) {
        return;
    }
    leftMs_ -= std::max(0, ms);
    if (leftMs_ <= 0) {
        dismiss();
    }
}

qint64 ListeningTip::msUntilHidden() const {
    return isVisible() ? leftMs_ : -1;
}

void ListeningTip::place(const QRect& character) {
    QScreen* screen = QGuiApplication::screenAt(character.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
    // Below the character, where the word balloon never goes unless the screen's top edge leaves no room;
    // above it when the character stands at the bottom.
    QPoint at(character.center().x() - width() / 2, character.bottom() + 1 + kGap);
    if (area.isValid()) {
        if (at.y() + height() > area.bottom() + 1) {
            at.setY(character.top() - kGap - height());
        }
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
    }
    move(at);
}

}  // namespace agent::render
