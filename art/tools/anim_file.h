// The animation file of one of our characters: its names, voice and balloon, its colours, a set of named
// poses and the animations as key poses to move between. acsbuild turns it into a character file.
#pragma once

#include <QList>
#include <QMap>
#include <QRgb>
#include <QString>
#include <QStringList>

namespace art {

// A pose: numbers that move smoothly between keys (angles, offsets, how far the lids are closed) and words
// that switch half-way (the mouth, the prop held, the effect shown).
struct Pose {
    QMap<QString, double> numbers;
    QMap<QString, QString> words;

    double number(const QString& key, double fallback = 0.0) const { return numbers.value(key, fallback); }
    QString word(const QString& key, const QString& fallback = QString()) const {
        return words.value(key, fallback);
    }
};

// The pose `t` of the way from `a` to `b`, t in [0, 1].
Pose blend(const Pose& a, const Pose& b, double t);

struct Key {
    Pose pose;
    int steps = 3;          // frames moving into this pose; the last of them is the pose itself
    int hold = 0;           // hundredths of a second the pose is held after it is reached
    int time = 0;           // hundredths of a second per frame, 0 for the file's default
    bool exitHere = false;  // first key of the way back to rest, where an interrupted animation jumps
};

struct AnimationSource {
    QString name;
    QString returnAnimation;
    bool mouths = true;  // frames carry the speaking mouths
    QList<Key> keys;
    int line = 0;
};

struct StateSource {
    QString name;
    QStringList animations;
};

struct CharacterSource {
    QString name;
    QString description;
    QString figure;  // which drawing code draws the poses
    int width = 128;
    int height = 128;
    int frameTime = 10;
    QMap<QString, QString> voice;
    QMap<QString, QString> balloon;
    QList<QPair<QString, QRgb>> colors;  // in palette order, after the transparent colour
    QMap<QString, Pose> poses;
    QList<AnimationSource> animations;
    QList<StateSource> states;
};

// Reads an animation file. False and an error naming the line when it cannot be understood.
bool readAnimationFile(const QString& path, CharacterSource* out, QString* error);
bool parseAnimationText(const QString& text, CharacterSource* out, QString* error);

}  // namespace art
