// A listener and a listening key the engine tests drive by hand: each notes what it was asked and raises its
// signals only when the test says so.
#pragma once

#include <QList>

#include <memory>

#include "agent/listen/listener.h"
#include "agent/render/listening_key.h"

namespace testsupport {

class HandListener final : public agent::listen::Listener {
public:
    struct Log {
        QString unavailable;  // why available() fails; empty: it can listen
        int made = 0;
        QList<QList<agent::listen::VoiceCommand>> commands;  // at each setCommands()
        double threshold = -1;
        QByteArray device = "unset";
        QList<Mode> starts;
        int stops = 0, cancels = 0;
        HandListener* last = nullptr;
    };

    explicit HandListener(std::shared_ptr<Log> log) : log_(std::move(log)) {
        ++log_->made;
        log_->last = this;
    }
    ~HandListener() override {
        if (log_->last == this) {
            log_->last = nullptr;
        }
    }

    agent::Status available() const override {
        return log_->unavailable.isEmpty() ? agent::Status() : agent::fail(log_->unavailable);
    }
    void setCommands(const QList<agent::listen::VoiceCommand>& commands) override {
        log_->commands.append(commands);
    }
    void setThreshold(double threshold) override { log_->threshold = threshold; }
    void setInputDevice(const QByteArray& id) override { log_->device = id; }
    void start(Mode mode) override {
        log_->starts.append(mode);
        listening_ = true;
    }
    void stop() override { ++log_->stops; }
    void cancel() override {
        ++log_->cancels;
        listening_ = false;
    }
    bool isListening() const override { return listening_; }

    void hear(bool speech) { emit hearing(speech); }
    void finish(const agent::listen::Recognition& result) {
        listening_ = false;
        emit finished(result);
    }
    void fail(const QString& message) {
        listening_ = false;
        emit failed(message);
    }

private:
    std::shared_ptr<Log> log_;
    bool listening_ = false;
};

class HandKey final : public agent::render::ListeningKey {
public:
    struct Log {
        QString refusal;  // grab() fails with this when not empty
        QString held;     // the key held now
    };

    explicit HandKey(std::shared_ptr<Log> log) : log_(std::move(log)) {}

    agent::Status grab(const QString& keyName) override {
        log_->held = log_->refusal.isEmpty() ? keyName : QString();
        return log_->refusal.isEmpty() ? agent::Status() : agent::fail(log_->refusal);
    }
    void ungrab() override { log_->held.clear(); }

    void press() { emit pressed(); }
    void release() { emit released(); }

private:
    std::shared_ptr<Log> log_;
};

}  // namespace testsupport
