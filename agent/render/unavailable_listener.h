// The listener of a program built without a recognizer: it never listens, and says so.
#pragma once

#include <memory>

#include "agent/listen/listener.h"

namespace agent::render {

class UnavailableListener final : public listen::Listener {
    Q_OBJECT
public:
    using listen::Listener::Listener;

    Status available() const override;
    void setCommands(const QList<listen::VoiceCommand>&) override {}
    void setThreshold(double) override {}
    void setInputDevice(const QByteArray&) override {}
    // Fails at once with the reason.
    void start(Mode mode) override;
    void stop() override {}
    void cancel() override {}
    bool isListening() const override { return false; }
};

std::unique_ptr<listen::Listener> makeUnavailableListener();

}  // namespace agent::render
