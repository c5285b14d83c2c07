#pragma once

// One window per user: the first copy answers on a local socket, a later copy asks it to
// show its window and ends. Nothing is shared with other users: the socket lies in the
// user's runtime folder (or carries the user id in the temp folder) and only the user may
// connect.

#include <QObject>
#include <QString>

class QLocalServer;

namespace trq::app {

class SingleInstance : public QObject {
    Q_OBJECT

  public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket of this user: "CTRQ_GMouseApp" in the user's runtime folder.
    static QString ServerName();

    // Asks the copy answering at `name` to show its window. True once it confirmed; false
    // when nobody answers within `timeoutMs`.
    static bool AskRunningCopyToShow(const QString& name, int timeoutMs);

    // Starts answering at `name`. Call only while holding the instance lock and after
    // AskRunningCopyToShow found nobody: a socket file still there was left by a copy that
    // crashed and is removed first. False (with the reason in `error`) when it cannot listen.
    bool Listen(const QString& name, QString& error);

  signals:
    // A later copy asked for the window (on the window thread).
    void showRequested();

  private:
    void OnConnection();

    QLocalServer* server_ = nullptr;
};

}  // namespace trq::app
