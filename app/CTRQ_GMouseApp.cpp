#include "app/CTRQ_GMouseApp.h"

#include <QApplication>
#include <cctype>
#include <chrono>
#include <iostream>
#include <thread>

#include "app/AppOptions.h"
#include "app/CTRQ_GMouseDlg.h"
#include "app/DriverEvents.h"
#include "app/MessageBoxNotifier.h"
#include "app/SingleInstance.h"
#include "app/SkinPreload.h"
#include "app/WindowSession.h"
#include "base/ProgramPaths.h"
#include "platform/ExecutableFolder.h"
#include "platform/InstanceLock.h"
#include "settings/SettingsFile.h"

namespace trq::app {
namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr char kWindowProgram[] = "trq-gmouse";

// The window that RequestExit ends; window thread only.
CTRQ_GMouseDlg* runningWindow = nullptr;

int Complain(const std::string& line, int code) {
    std::cerr << "trq-gmouse: " << line << '\n';
    return code;
}

// A copy that holds the lock but answers nobody yet is still starting up: ask it for a
// while before giving up.
bool AskStartingCopyToShow(const QString& name) {
    for (int attempt = 0; attempt < 30; ++attempt) {
        if (SingleInstance::AskRunningCopyToShow(name, 100)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace

int CTRQ_GMouseApp::InitInstance(const QStringList& arguments) {
    std::vector<std::string> args;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());
    const AppParseResult parsed = ParseAppOptions(args);
    if (!parsed.options) return Complain(parsed.error, kUsage);
    const AppOptions& options = *parsed.options;
    if (options.help) {
        std::cout << AppUsage();
        return kOk;
    }

    // A second copy only brings the first one's window back: it opens no device and writes
    // no file.
    const QString serverName = SingleInstance::ServerName();
    if (SingleInstance::AskRunningCopyToShow(serverName, 1000)) return kOk;
    const std::filesystem::path lockFile = platform::DefaultInstanceLockFile();
    platform::InstanceLockResult lock = platform::LockInstance(lockFile);
    if (!lock.lock) {
        if (lock.heldElsewhere && lock.holder == kWindowProgram) {
            AskStartingCopyToShow(serverName);
            return kOk;
        }
        std::string text = lock.heldElsewhere
                               ? platform::RunningCopyMessage(lock.holder) +
                                     " and drives the mouse; stop it before starting the window."
                               : lock.error;
        if (!text.empty()) text[0] = static_cast<char>(std::toupper(text[0]));
        std::cerr << "trq-gmouse: " << text << '\n';
        MessageBoxNotifier notifier;
        notifier.ShowMessage(text);
        return kFailed;
    }
    // The skin's mask, first pictures and fonts are made from here on, beside the rest of
    // the start-up: they depend on nothing it reads.
    const base::ProgramPaths paths{options.home ? *options.home : platform::ExecutableFolder()};
    SkinPreload preload(QString::fromStdString(paths.SkinFolder().string()), skin::Page::Main,
                        settings::ReadLanguage(paths.ConfigPath()));
    SingleInstance instance;
    if (QString error; !instance.Listen(serverName, error)) {
        // The window still works; only a second copy cannot reach it.
        Complain("cannot answer other copies at " + serverName.toStdString() + ": " +
                     error.toStdString(),
                 0);
    }

    MessageBoxNotifier notifier;
    DriverEvents events;
    std::string error;
    std::unique_ptr<platform::DriverSession> session =
        OpenWindowSession(options, notifier, events, error);
    if (!session) return Complain(error, kUsage);

    QApplication::setQuitOnLastWindowClosed(false);
    int code = kOk;
    {
        CTRQ_GMouseDlg dialog(*session, events, notifier);
        notifier.SetWindow(&dialog);
        QObject::connect(&instance, &SingleInstance::showRequested, &dialog,
                         &CTRQ_GMouseDlg::ShowWindowCommand);
        QObject::connect(&dialog, &CTRQ_GMouseDlg::ended, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        runningWindow = &dialog;
        if (dialog.OnInitDialog(preload)) {
            dialog.show();
            code = QApplication::exec();
        } else {
            code = kFailed;  // no mouse, no skin or unreadable settings: the user was told
        }
        runningWindow = nullptr;
        notifier.SetWindow(nullptr);
    }
    return code;
}

void CTRQ_GMouseApp::RequestExit() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    QMetaObject::invokeMethod(
        app,
        [] {
            if (runningWindow != nullptr) {
                runningWindow->ExitDriver();
            } else {
                QCoreApplication::quit();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace trq::app
