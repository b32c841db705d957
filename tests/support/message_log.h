// Qt's messages of one kind, collected while the log lives; whatever handler was there before comes back
// when it goes.
#pragma once

#include <QStringList>
#include <QtGlobal>

namespace testsupport {

class MessageLog {
public:
    explicit MessageLog(QtMsgType kind) {
        kind_ = kind;
        lines_.clear();
        previous_ =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == kind_) {
                    lines_ << text;
                }
            });
    }
    ~MessageLog() { qInstallMessageHandler(previous_); }
    MessageLog(const MessageLog&) = delete;  // a copy would put the earlier handler back twice
    MessageLog& operator=(const MessageLog&) = delete;

    static QStringList& lines() { return lines_; }

private:
    static inline QtMsgType kind_ = QtWarningMsg;
    static inline QStringList lines_;
    QtMessageHandler previous_ = nullptr;
};

}  // namespace testsupport
