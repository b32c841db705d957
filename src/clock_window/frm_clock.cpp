#include "src/clock_window/frm_clock.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QScreen>

#include "src/core/clock_layout.h"
#include "src/core/conversions.h"
#include "src/core/settings_keys.h"
#include "src/core/text_fit.h"
#include "src/platform/colour_number.h"
#include "src/platform/failure_report.h"

namespace horalia::clock_window {

namespace keys = core::keys;

frm_clock::frm_clock(platform::Platform& platform, AppWindows& windows, tray::TrayBackend& tray,
                     quintptr trayIcon)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      platform_(platform),
      lab_time_(new QLabel(QStringLiteral("00:00"), this)),
      mnu_settings_(new QMenu(QStringLiteral("Settings"), this)),
      controller_(platform, *this, windows, tray, trayIcon) {
    setObjectName(QStringLiteral("frm_clock"));
    setWindowTitle(QString());
    lab_time_->setObjectName(QStringLiteral("lab_time"));
    lab_time_->setAlignment(Qt::AlignCenter);
    lab_time_->setAutoFillBackground(true);
    lab_time_->setToolTip(QStringLiteral("Double click for the time, Right click for ALL the menus"));
    lab_time_->installEventFilter(this);
    setAutoFillBackground(true);
    buildMenu();
}

frm_clock::~frm_clock() = default;

QAction* frm_clock::addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    const QString item = action->objectName();
    connect(action, &QAction::triggered, this, [this, item] { controller_.menus().choose(item); });
    return action;
}

void frm_clock::buildMenu() {
    mnu_settings_->setObjectName(QStringLiteral("mnu_settings"));
    QMenu* characters = mnu_settings_->addMenu(QStringLiteral("Characters"));
    characters->setObjectName(QStringLiteral("mnu_character"));
    addItem(characters, "mnu_movehome", QStringLiteral("Summon the characters to the clock"));
    addItem(characters, "mnu_chcharacters", QStringLiteral("Change characters and settings"));
    mnu_settings_->addSeparator()->setObjectName(QStringLiteral("hyp1"));
    QMenu* addOns = mnu_settings_->addMenu(QStringLiteral("Add On's and FUN"));
    addOns->setObjectName(QStringLiteral("mnu_addons"));
    addItem(addOns, "mnu_mathdrill", QStringLiteral("Start the Math Drill add on"));
    addItem(addOns, "mnu_showcalendar", QStringLiteral("Show the calendar add on"));
    addItem(addOns, "mnu_countdown", QStringLiteral("Show the Countdown add on"));
    addItem(addOns, "mnu_partypack", QStringLiteral("Start the Party pack add on"));
    addItem(addOns, "mnu_tands", QStringLiteral("Type and Speak !"));
    mnu_settings_->addSeparator()->setObjectName(QStringLiteral("hellohyp"));
    QMenu* clockOptions = mnu_settings_->addMenu(QStringLiteral("Clock options"));
    clockOptions->setObjectName(QStringLiteral("mnu_clock"));
    addItem(clockOptions, "mnu_format", QStringLiteral("Alter time format (12 or 24 hour)"));
    addItem(clockOptions, "mnu_colours", QStringLiteral("Change colours"));
    addItem(clockOptions, "mnu_hideshow", QStringLiteral("Hide the clock"));
    mnu_settings_->addSeparator()->setObjectName(QStringLiteral("hyp999"));
    addItem(mnu_settings_, "mnu_settings1", QStringLiteral("Main Options"));
    mnu_settings_->addSeparator()->setObjectName(QStringLiteral("hyp3"));
    addItem(mnu_settings_, "mnu_about", QStringLiteral("About Horalia"));
    mnu_settings_->addSeparator()->setObjectName(QStringLiteral("hyp011"));
    addItem(mnu_settings_, "mnu_exit", QStringLiteral("Exit"));
}

void frm_clock::load() {
    setWindowState(Qt::WindowNoState);
    controller_.load();
}

core::GeometryTwips frm_clock::geometryTwips() const {
    const double tx = platform_.screen.twipsPerPixelX();
    const double ty = platform_.screen.twipsPerPixelY();
    return {static_cast<double>(x()) * tx, static_cast<double>(y()) * ty, static_cast<double>(width()) * tx,
            static_cast<double>(height()) * ty};
}

bool frm_clock::isMinimized() const {
    return (windowState() & Qt::WindowMinimized) != 0;
}

void frm_clock::setVisible(bool visible) {
    QWidget::setVisible(visible);
    if (visible) {
        raise();
        activateWindow();
    }
}

void frm_clock::setTimeText(const QString& text) {
    lab_time_->setText(text);
    fitTimeText();
}

void frm_clock::fitTimeText() {
    // The layout was made for Arial; a desktop without its metrics may give a wider font, whose text would be
    // cut off at both edges of the label.
    QFont font = timeFont_;
    const QString text = lab_time_->text();
    const int points =
        core::fittingPointSize(timeFont_.pointSize(), lab_time_->contentsRect().width(), [&](int size) {
            font.setPointSize(size);
            return QFontMetrics(font, lab_time_).horizontalAdvance(text);
        });
    font.setPointSize(points);
    lab_time_->setFont(font);
}

void frm_clock::moveTo(double leftTwips, double topTwips) {
    move(static_cast<int>(leftTwips / platform_.screen.twipsPerPixelX()),
         static_cast<int>(topTwips / platform_.screen.twipsPerPixelY()));
}

void frm_clock::setTimeFormat(bool twentyFourHour) {
    const core::ClockLayout& layout = core::layoutFor(twentyFourHour);
    const int tx = platform_.screen.twipsPerPixelX();
    const int ty = platform_.screen.twipsPerPixelY();
    timeFont_ = QFont(QStringLiteral("Arial"));
    timeFont_.setBold(true);
    timeFont_.setPointSize(layout.fontPoints);
    setFixedSize(layout.windowWidth / tx, layout.windowHeight / ty);
    lab_time_->setGeometry(0, 0, layout.labelWidth / tx, layout.labelHeight / ty);
    fitTimeText();
}

void frm_clock::setColours(std::optional<qint32> fore, std::optional<qint32> back) {
    QPalette palette = lab_time_->palette();
    if (fore) {
        if (std::optional<QColor> colour = platform::colourFromNumber(*fore, palette)) {
            palette.setColor(QPalette::WindowText, *colour);
        }
    }
    if (back) {
        if (std::optional<QColor> colour = platform::colourFromNumber(*back, palette)) {
            palette.setColor(QPalette::Window, *colour);
            QPalette own = this->palette();
            own.setColor(QPalette::Window, *colour);
            QWidget::setPalette(own);
        }
    }
    lab_time_->setPalette(palette);
}

void frm_clock::setSimpleMenus(bool simple) {
    for (const char* name : {"mnu_chcharacters", "mnu_partypack", "mnu_colours"}) {
        if (auto* action = mnu_settings_->findChild<QAction*>(QString::fromLatin1(name))) {
            action->setVisible(!simple);
        }
    }
}

void frm_clock::storePosition() {
    const core::GeometryTwips g = geometryTwips();
    platform::reported(
        platform_.settings.write(keys::kData, keys::kFormX, core::numberText(static_cast<float>(g.left))));
    platform::reported(
        platform_.settings.write(keys::kData, keys::kFormY, core::numberText(static_cast<float>(g.top))));
}

void frm_clock::whenDrawn(std::function<void()> then) {
    if (drawnRun_) {
        then();
        return;
    }
    whenDrawn_.push_back(std::move(then));
    if (!drawnFallback_) {
        drawnFallback_ = platform_.clock.createTimer();
        drawnFallback_->start(1000, [this] { runWhenDrawn(); });
    }
}

void frm_clock::runWhenDrawn() {
    if (drawnRun_) {
        return;
    }
    drawnRun_ = true;
    if (drawnFallback_) {
        drawnFallback_->stop();
    }
    const std::vector<std::function<void()>> waiting = std::move(whenDrawn_);
    whenDrawn_.clear();
    for (const auto& then : waiting) {
        then();
    }
}

bool frm_clock::eventFilter(QObject* watched, QEvent* event) {
    if (watched != lab_time_) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Paint && !painted_) {
        // Queued, so that it runs once this paint has been put on the screen.
        painted_ = true;
        QMetaObject::invokeMethod(
            this, [this] { runWhenDrawn(); }, Qt::QueuedConnection);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && mouse->buttons() == Qt::LeftButton && !dragging_) {
                dragStartGlobal_ = mouse->globalPosition().toPoint();
                windowStart_ = pos();
                dragging_ = true;
            }
            return true;
        }
        case QEvent::MouseMove: {
            if (dragging_) {
                auto* mouse = static_cast<QMouseEvent*>(event);
                move(windowStart_ + (mouse->globalPosition().toPoint() - dragStartGlobal_));
                // Stored on every move, so the place survives however the program ends.
                storePosition();
            }
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            dragging_ = false;
            if (mouse->button() == Qt::RightButton) {
                const QPoint at = mouse->globalPosition().toPoint();
                mnu_settings_->popup(QPoint(at.x() - mnu_settings_->sizeHint().width() / 2, at.y()));
            }
            return true;
        }
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                controller_.labelDoubleClicked();
            }
            return true;
        default:
            return QWidget::eventFilter(watched, event);
    }
}

}  // namespace horalia::clock_window
