// Built in code rather than from a .ui file: a score of controls, and tests find them by object name. The
// window keeps no copy of the options besides the chosen font; everything else is read from the controls.
#include "agent/render/options_window.h"

#include <QApplication>
#include <QAudioDevice>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QMediaDevices>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace agent::render {

namespace {

// The open window of each store. Windows live on the GUI thread only.
QHash<const OptionsStore*, QPointer<OptionsWindow>>& openWindows() {
    static QHash<const OptionsStore*, QPointer<OptionsWindow>> windows;
    return windows;
}

QString genderText(speech::VoiceGender gender) {
    switch (gender) {
        case speech::VoiceGender::Male:
            return QStringLiteral(", male");
        case speech::VoiceGender::Female:
            return QStringLiteral(", female");
        default:
            return {};
    }
}

}  // namespace

FontChooser fontDialogChooser() {
    return [](const QFont& initial, QWidget* parent) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, parent, QStringLiteral("Balloon Font"));
        return ok ? std::optional<QFont>(font) : std::nullopt;
    };
}

QList<VoiceEntry> voiceEntries(const QList<speech::InstalledVoice>& installed, const QString& chosen) {
    QList<VoiceEntry> entries{{QStringLiteral("Character's own voice"), QString()}};
    bool chosenListed = chosen.isEmpty();
    for (const speech::InstalledVoice& v : installed) {
        entries.append({QStringLiteral("%1 (%2%3)").arg(v.title, v.language, genderText(v.gender)), v.name});
        chosenListed = chosenListed || v.name == chosen;
    }
    if (!chosenListed) {
        entries.append({QStringLiteral("%1 (not installed)").arg(chosen), chosen});
    }
    return entries;
}

QList<InputDevice> audioInputDevices() {
    QList<InputDevice> inputs;
    for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
        inputs.append({QString::fromUtf8(device.id()), device.description()});
    }
    return inputs;
}

QList<VoiceEntry> inputEntries(const QList<InputDevice>& inputs, const QString& chosen) {
    QList<VoiceEntry> entries{{QStringLiteral("Default input"), QString()}};
    bool chosenListed = chosen.isEmpty();
    for (const InputDevice& input : inputs) {
        if (!isInputDeviceId(input.id)) {
            continue;  // could not be stored
        }
        entries.append({input.description.isEmpty() ? input.id : input.description, input.id});
        chosenListed = chosenListed || input.id == chosen;
    }
    if (!chosenListed) {
        entries.append({QStringLiteral("%1 (not connected)").arg(chosen), chosen});
    }
    return entries;
}

QString fontDescription(const std::optional<QFont>& font) {
    if (!font) {
        return QStringLiteral("Character's own font");
    }
    const double points = font->pointSizeF();
    return points > 0 ? QStringLiteral("%1, %2 pt").arg(font->family()).arg(points) : font->family();
}

OptionsWindow* OptionsWindow::open(OptionsStore& store, OptionsWindowSetup setup, QWidget* parent) {
    OptionsWindow* window = find(store);
    if (window == nullptr) {
        window = new OptionsWindow(store, std::move(setup), parent);
        openWindows().insert(&store, window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

OptionsWindow* OptionsWindow::find(const OptionsStore& store) {
    return openWindows().value(&store).data();
}

OptionsWindow::OptionsWindow(OptionsStore& store, OptionsWindowSetup setup, QWidget* parent)
    : QDialog(parent), store_(&store), setup_(std::move(setup)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Character Options"));
    if (!setup_.chooseFont) {
        setup_.chooseFont = fontDialogChooser();
    }
    makeLayout();
    fillLists(store.options());
    load(store.options());
    connectControls();
    refresh();
}

void OptionsWindow::makeLayout() {
    error_ = new QLabel;
    error_->setObjectName(QStringLiteral("error"));
    error_->setWordWrap(true);
    error_->setStyleSheet(QStringLiteral("color: #b00000"));
    error_->hide();
    buttons_ =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply);

    auto* pages = new QTabWidget;
    pages->setObjectName(QStringLiteral("pages"));
    pages->addTab(makeOutputPage(), QStringLiteral("Output"));
    pages->addTab(makeSpeechInputPage(), QStringLiteral("Speech Input"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(error_);
    layout->addWidget(buttons_);
}

void OptionsWindow::fillLists(const EngineOptions& current) {
    const QList<speech::InstalledVoice> voices =
        setup_.listVoices ? setup_.listVoices() : speech::installedVoices().valueOr({});
    for (const VoiceEntry& entry : voiceEntries(voices, current.voice)) {
        voice_->addItem(entry.text, entry.name);
    }
    const QList<InputDevice> inputs = setup_.listInputs ? setup_.listInputs() : audioInputDevices();
    for (const VoiceEntry& entry : inputEntries(inputs, current.inputDevice)) {
        inputDevice_->addItem(entry.text, entry.name);
    }
}

void OptionsWindow::connectControls() {
    connect(balloon_, &QCheckBox::toggled, this, &OptionsWindow::refresh);
    connect(speech_, &QCheckBox::toggled, this, &OptionsWindow::refresh);
    connect(sounds_, &QCheckBox::toggled, this, &OptionsWindow::refresh);
    connect(motion_, &QCheckBox::toggled, this, &OptionsWindow::refresh);
    connect(speed_, &QSlider::valueChanged, this, &OptionsWindow::refresh);
    connect(voice_, &QComboBox::currentIndexChanged, this, &OptionsWindow::refresh);
    connect(listen_, &QCheckBox::toggled, this, &OptionsWindow::refresh);
    connect(listeningKey_, &QComboBox::currentIndexChanged, this, &OptionsWindow::refresh);
    connect(inputDevice_, &QComboBox::currentIndexChanged, this, &OptionsWindow::refresh);
    connect(threshold_, &QSlider::valueChanged, this, &OptionsWindow::refresh);
    connect(fontButton_, &QPushButton::clicked, this, &OptionsWindow::chooseFont);
    connect(ownFontButton_, &QPushButton::clicked, this, [this] {
        font_.reset();
        showFont();
        refresh();
    });
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
        if (save()) {
            accept();
        }
    });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons_->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { save(); });
    connect(store_.data(), &OptionsStore::changed, this, &OptionsWindow::refresh);
    connect(store_.data(), &QObject::destroyed, this, [this] {
        store_.clear();
        close();
    });
}

QWidget* OptionsWindow::makeOutputPage() {
    auto* output = new QGroupBox(QStringLiteral("Output"));
    balloon_ = new QCheckBox(QStringLiteral("Display word &balloon"));
    balloon_->setObjectName(QStringLiteral("balloon"));
    fontButton_ = new QPushButton(QStringLiteral("&Font..."));
    fontButton_->setObjectName(QStringLiteral("font"));
    ownFontButton_ = new QPushButton(QStringLiteral("Character's f&ont"));
    ownFontButton_->setObjectName(QStringLiteral("ownFont"));
    fontLabel_ = new QLabel;
    fontLabel_->setObjectName(QStringLiteral("fontName"));
    speech_ = new QCheckBox(QStringLiteral("&Spoken output"));
    speech_->setObjectName(QStringLiteral("speech"));
    sounds_ = new QCheckBox(QStringLiteral("Sound &effects"));
    sounds_->setObjectName(QStringLiteral("sounds"));
    motion_ = new QCheckBox(QStringLiteral("Reduce &motion: no walking, no idling"));
    motion_->setObjectName(QStringLiteral("reducedMotion"));

    auto* fontRow = new QHBoxLayout;
    fontRow->addSpacing(20);
    fontRow->addWidget(fontLabel_, 1);
    fontRow->addWidget(fontButton_);
    fontRow->addWidget(ownFontButton_);
    auto* outputLayout = new QVBoxLayout(output);
    outputLayout->addWidget(balloon_);
    outputLayout->addLayout(fontRow);
    outputLayout->addWidget(speech_);
    outputLayout->addWidget(sounds_);
    outputLayout->addWidget(motion_);

    auto* voiceBox = new QGroupBox(QStringLiteral("Voice"));
    speed_ = new QSlider(Qt::Horizontal);
    speed_->setObjectName(QStringLiteral("speed"));
    speed_->setRange(EngineOptions::kMinSpeedPercent, EngineOptions::kMaxSpeedPercent);
    speed_->setSingleStep(5);
    speed_->setPageStep(25);
    speed_->setTickInterval(25);
    speed_->setTickPosition(QSlider::TicksBelow);
    speedLabel_ = new QLabel;
    speedLabel_->setMinimumWidth(speedLabel_->fontMetrics().horizontalAdvance(QStringLiteral("200 %")));
    voice_ = new QComboBox;
    voice_->setObjectName(QStringLiteral("voice"));
    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(speed_, 1);
    speedRow->addWidget(speedLabel_);
    auto* voiceLayout = new QFormLayout(voiceBox);
    // A row that is a layout has no buddy of its own: the label would show its ampersand.
    auto* speedCaption = new QLabel(QStringLiteral("Speaking s&peed:"));
    speedCaption->setBuddy(speed_);
    voiceLayout->addRow(speedCaption, speedRow);
    voiceLayout->addRow(QStringLiteral("&Voice:"), voice_);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(output);
    layout->addWidget(voiceBox);
    layout->addStretch(1);
    return page;
}

QWidget* OptionsWindow::makeSpeechInputPage() {
    auto* page = new QWidget;
    listen_ = new QCheckBox(QStringLiteral("Listen for spoken &commands"));
    listen_->setObjectName(QStringLiteral("listen"));
    listeningKey_ = new QComboBox;
    listeningKey_->setObjectName(QStringLiteral("listeningKey"));
    for (const ListeningKeyName& key : listeningKeyNames()) {
        listeningKey_->addItem(key.caption, key.name);
    }
    inputDevice_ = new QComboBox;
    inputDevice_->setObjectName(QStringLiteral("inputDevice"));
    threshold_ = new QSlider(Qt::Horizontal);
    threshold_->setObjectName(QStringLiteral("threshold"));
    threshold_->setRange(0, 100);
    threshold_->setSingleStep(5);
    threshold_->setPageStep(10);
    threshold_->setTickInterval(10);
    threshold_->setTickPosition(QSlider::TicksBelow);
    thresholdLabel_ = new QLabel;
    thresholdLabel_->setMinimumWidth(
        thresholdLabel_->fontMetrics().horizontalAdvance(QStringLiteral("100 %")));
    auto* hint = new QLabel(QStringLiteral(
        "Hold the listening key while you say a command, or choose Listen from a character's menu. A higher "
        "level refuses more of what was not quite heard."));
    hint->setWordWrap(true);

    auto* thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(threshold_, 1);
    thresholdRow->addWidget(thresholdLabel_);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Listening &key:"), listeningKey_);
    form->addRow(QStringLiteral("&Microphone:"), inputDevice_);
    auto* thresholdCaption = new QLabel(QStringLiteral("&Sureness needed:"));
    thresholdCaption->setBuddy(threshold_);
    form->addRow(thresholdCaption, thresholdRow);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(listen_);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addStretch(1);
    return page;
}

void OptionsWindow::done(int result) {
    // Forgotten at once, not when deleted later, so that opening again right away gives a fresh window.
    for (auto it = openWindows().begin(); it != openWindows().end();) {
        it = it.value() == this || it.value().isNull() ? openWindows().erase(it) : std::next(it);
    }
    QDialog::done(result);
}

void OptionsWindow::load(const EngineOptions& options) {
    balloon_->setChecked(options.balloonOn);
    font_ = options.balloonFont;
    speech_->setChecked(options.speechOn);
    sounds_->setChecked(options.soundEffectsOn);
    motion_->setChecked(options.reducedMotion);
    speed_->setValue(options.speedPercent);
    voice_->setCurrentIndex(std::max(0, voice_->findData(options.voice)));
    listen_->setChecked(options.listenOn);
    listeningKey_->setCurrentIndex(std::max(0, listeningKey_->findData(options.listeningKey)));
    inputDevice_->setCurrentIndex(std::max(0, inputDevice_->findData(options.inputDevice)));
    threshold_->setValue(options.thresholdPercent);
    showFont();
}

EngineOptions OptionsWindow::edited() const {
    EngineOptions options;
    options.balloonOn = balloon_->isChecked();
    options.balloonFont = font_;
    options.speechOn = speech_->isChecked();
    options.soundEffectsOn = sounds_->isChecked();
    options.reducedMotion = motion_->isChecked();
    options.speedPercent = speed_->value();
    options.voice = voice_->currentData().toString();
    options.listenOn = listen_->isChecked();
    options.listeningKey = listeningKey_->currentData().toString();
    options.inputDevice = inputDevice_->currentData().toString();
    options.thresholdPercent = threshold_->value();
    return options;
}

bool OptionsWindow::save() {
    if (!store_) {
        return false;
    }
    const Status written = store_->set(edited());
    error_->setText(
        written ? QString()
                : QStringLiteral("The options apply now but could not be saved: %1").arg(written.error()));
    error_->setVisible(!written);
    refresh();
    return written.ok();
}

void OptionsWindow::chooseFont() {
    const QFont initial = font_.value_or(QApplication::font());
    if (std::optional<QFont> chosen = setup_.chooseFont(initial, this)) {
        font_ = chosen;
        showFont();
        refresh();
    }
}

void OptionsWindow::showFont() {
    fontLabel_->setText(fontDescription(font_));
}

void OptionsWindow::refresh() {
    fontButton_->setEnabled(balloon_->isChecked());
    ownFontButton_->setEnabled(balloon_->isChecked() && font_.has_value());
    fontLabel_->setEnabled(balloon_->isChecked());
    speed_->setEnabled(speech_->isChecked());
    voice_->setEnabled(speech_->isChecked());
    speedLabel_->setText(QStringLiteral("%1 %").arg(speed_->value()));
    for (QWidget* w : {static_cast<QWidget*>(listeningKey_), static_cast<QWidget*>(inputDevice_),
                       static_cast<QWidget*>(threshold_), static_cast<QWidget*>(thresholdLabel_)}) {
        w->setEnabled(listen_->isChecked());
    }
    thresholdLabel_->setText(QStringLiteral("%1 %").arg(threshold_->value()));
    buttons_->button(QDialogButtonBox::Apply)->setEnabled(store_ && !(edited() == store_->options()));
}

}  // namespace agent::render
