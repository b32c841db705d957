// The small tip beside the character being talked to: that it listens, that it hears speech, what it did not
// understand, or why it cannot listen. A message held while listening stays until the next one; any other
// hides itself a little later. The tip keeps its own time and moves only when told (advance()), so tests run
// it in virtual time.
#pragma once

#include <QLabel>
#include <QRect>
#include <QString>

namespace agent::render {

QString listeningText(const QString& name);
QString hearingText(const QString& name);
// `words` is what the recognizer heard; empty when it heard nothing.
QString notUnderstoodText(const QString& name, const QString& words);
QString heardText(const QString& name, const QString& words);
QString cannotListenText(const QString& name, const QString& reason);

class ListeningTip : public QLabel {
    Q_OBJECT
public:
    // How long a message stays once it is no longer held.
    static constexpr int kLingerMs = 2500;
    enum class Linger { Held, Brief };

    explicit ListeningTip(QWidget* parent = nullptr);

    // Shows `text` beside the character's window rectangle (screen coordinates), titled after the
    // character so that window lists tell whose tip it is.
    void say(const QString& characterName, const QString& text, const QRect& character, Linger linger);
    // Hides at once.
    void dismiss();

    void advance(int ms);
    // Until the tip hides of itself; -1 when it will not (hidden, or holding a message).
    qint64 msUntilHidden() const;

private:
    void place(const QRect& character);

    qint64 leftMs_ = -1;
};

}  // namespace agent::render
