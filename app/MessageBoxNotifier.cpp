#include "app/MessageBoxNotifier.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

#include "base/Messages.h"

namespace trq::app {
namespace {

void Show(QWidget* parent, const QString& text) {
    QMessageBox::information(
        parent,
        QString::fromUtf8(base::kAppName.data(), static_cast<qsizetype>(base::kAppName.size())),
        text, QMessageBox::Ok);
}

}  // namespace

void MessageBoxNotifier::ShowMessage(std::string_view text) {
    const QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr && QThread::currentThread() != app->thread()) {
        QPointer<QWidget> window = window_;
        QMetaObject::invokeMethod(
            app, [window, message] { Show(window, message); }, Qt::QueuedConnection);
        return;
    }
    Show(window_, message);
}

}  // namespace trq::app
