#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include "platform/InstanceLock.h"

namespace trq::app {
namespace {

constexpr char kShowRequest[] = "show\n";
constexpr char kShown[] = "shown\n";

}  // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName() {
    return QString::fromStdString(platform::UserRuntimePath("CTRQ_GMouseApp").string());
}

bool SingleInstance::AskRunningCopyToShow(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    }
    return socket.readLine() == kShown;
}

bool SingleInstance::Listen(const QString& name, QString& error) {
    QLocalServer::removeServer(name);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) {
        error = server_->errorString();
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
    return true;
}

void SingleInstance::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() != kShowRequest) continue;
                emit showRequested();
                socket->write(kShown);
                socket->flush();
            }
            // Requests are one short line: a caller sending more is not one of ours.
            if (socket->bytesAvailable() > 64) socket->abort();
        });
    }
}

}  // namespace trq::app
