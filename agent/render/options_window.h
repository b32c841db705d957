// The engine's "Character Options" window: on its Output page word balloon and its font, spoken output, sound
// effects, reduced motion, speaking speed and voice; on its Speech Input page whether characters listen for
// spoken commands, the listening key, the microphone and how sure the recognizer must be. It edits an
// OptionsStore; OK and Apply store what it shows, Cancel forgets it. A store has at most one such window:
// asking again raises the open one.
#pragma once

#include "agent/render/engine_options.h"
#include "agent/speech/voice_list.h"

#include <QDialog>
#include <QFont>
#include <QList>
#include <QPointer>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;

namespace agent::render {

// Asks the user for a font, starting from `initial`; nothing when they cancel.
using FontChooser = std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)>;
// QFontDialog.
FontChooser fontDialogChooser();

// An audio input the desktop offers: its id (what is stored) and its description (what the user reads).
struct InputDevice {
    QString id;
    QString description;
};
// The desktop's audio inputs, from Qt Multimedia.
QList<InputDevice> audioInputDevices();

// What the window needs from outside, given when it is first opened.
struct OptionsWindowSetup {
    FontChooser chooseFont;                                     // default: fontDialogChooser()
    std::function<QList<speech::InstalledVoice>()> listVoices;  // default: speech::installedVoices()
    std::function<QList<InputDevice>()> listInputs;             // default: audioInputDevices()
};

// One entry of the voice box: its text and the voice name it stores (empty: the character's own voice).
struct VoiceEntry {
    QString text;
    QString name;
    bool operator==(const VoiceEntry&) const = default;
};

// The character's own voice first, then the installed voices; a chosen voice that is no longer installed is
// kept as an entry of its own, so that OK does not quietly drop it.
QList<VoiceEntry> voiceEntries(const QList<speech::InstalledVoice>& installed, const QString& chosen);
// The same for the input box: "Default input" first (empty id), then the desktop's inputs; a chosen input
// that is not connected now stays choosable.
QList<VoiceEntry> inputEntries(const QList<InputDevice>& inputs, const QString& chosen);
// "Character's own font", or the font's family and size.
QString fontDescription(const std::optional<QFont>& font);

class OptionsWindow : public QDialog {
    Q_OBJECT
public:
    // Opens the store's window, filled from the store, or raises and activates the one already open for it.
    // The window deletes itself when closed; it also goes when the store does.
    static OptionsWindow* open(OptionsStore& store, OptionsWindowSetup setup = {}, QWidget* parent = nullptr);
    // The store's open window, or nullptr.
    static OptionsWindow* find(const OptionsStore& store);

    // The options as the controls show them.
    EngineOptions edited() const;

    void done(int result) override;

private:
    OptionsWindow(OptionsStore& store, OptionsWindowSetup setup, QWidget* parent);

    void load(const EngineOptions& options);
    // Stores the edited options; false, with the reason shown in the window, when the file cannot be written.
    bool save();
    void chooseFont();
    void showFont();
    void refresh();
    // The constructor's steps: the pages and buttons, the lists of voices and microphones, the signals.
    void makeLayout();
    void fillLists(const EngineOptions& current);
    void connectControls();
    QWidget* makeOutputPage();
    QWidget* makeSpeechInputPage();

    QPointer<OptionsStore> store_;
    OptionsWindowSetup setup_;
    std::optional<QFont> font_;

    QCheckBox* balloon_ = nullptr;
    QPushButton* fontButton_ = nullptr;
    QPushButton* ownFontButton_ = nullptr;
    QLabel* fontLabel_ = nullptr;
    QCheckBox* speech_ = nullptr;
    QCheckBox* sounds_ = nullptr;
    QCheckBox* motion_ = nullptr;
    QSlider* speed_ = nullptr;
    QLabel* speedLabel_ = nullptr;
    QComboBox* voice_ = nullptr;
    QCheckBox* listen_ = nullptr;
    QComboBox* listeningKey_ = nullptr;
    QComboBox* inputDevice_ = nullptr;
    QSlider* threshold_ = nullptr;
    QLabel* thresholdLabel_ = nullptr;
    QLabel* error_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace agent::render
