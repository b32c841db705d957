#include "src/about/about_box.h"

namespace horalia::about {

AboutBox::AboutBox(const QString& projectVersion, SayFunction say, WebPageOpener& opener,
                   ViewFactory makeView)
    : projectVersion_(projectVersion),
      say_(std::move(say)),
      opener_(opener),
      makeView_(std::move(makeView)) {}

AboutBox::~AboutBox() = default;

QString AboutBox::versionText(const QString& projectVersion) {
    const QStringList parts = projectVersion.trimmed().split(u'.');
    QStringList numbers;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const qulonglong value = i < parts.size() ? parts[i].trimmed().toULongLong(&ok) : 0;
        numbers << QString::number(ok ? value : 0);
    }
    return numbers.join(u'.');
}

void AboutBox::load() {
    // A handler run by the say function may ask for the box again while it loads: it gets the same box.
    if (view_ != nullptr || loading_ || !makeView_) {
        return;
    }
    loading_ = true;
    std::unique_ptr<AboutView> view = makeView_([this](const QString& address) { sisterapplink(address); });
    if (view == nullptr) {
        loading_ = false;
        return;
    }
    view_ = std::move(view);
    const QString version = versionText(projectVersion_);
    if (say_) {
        say_(QStringLiteral("This is version, ") + version, QStringLiteral("genie"));
    }
    view_->setVersionText(version);
    loading_ = false;
}

void AboutBox::show() {
    load();
    if (view_ != nullptr) {
        view_->showWindow();
    }
}

void AboutBox::sisterapplink(const QString& webaddress) {
    // The caller's text is copied: a handler may change or drop it while the browser is looked up.
    const QString address = webaddress;
    opener_.sisterapplink(address, [this] { load(); });
}

}  // namespace horalia::about
