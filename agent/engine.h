// An engine that makes controls, as a module loaded when the first character is wanted: a program that shows
// a window before any character links none of the engine's libraries (sound, speech, recognition) and does
// not pay for loading them before its first picture.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "agent/control.h"

namespace agent {

class Engine {
public:
    virtual ~Engine();
    virtual std::unique_ptr<Control> makeControl() = 0;
};

// The desktop engine's module beside the program, and what it exports: the engine for the folders a bare
// character file name is looked for in (in order), its options kept in optionsPath. The caller owns the
// engine.
using MakeDesktopEngine = Engine* (*)(const QStringList& characterFolders, const QString& optionsPath);
inline constexpr char kDesktopEngineModule[] = "horalia_engine";
inline constexpr char kDesktopEngineSymbol[] = "horaliaDesktopEngine";

}  // namespace agent
