// trq-gmouse: the window program.

#include <QApplication>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/AppOptions.h"
#include "app/CTRQ_GMouseApp.h"
#include "platform/TerminationSignals.h"

namespace {

std::atomic<bool> applicationExists{false};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        // Before the application object, which needs a display.
        if (arg == "-h" || arg == "--help") {
            std::cout << trq::app::AppUsage();
            return 0;
        }
    }
    const auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    if (const auto platform = trq::app::ForcedQtPlatform(env, args)) {
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
    }
    // Before any thread starts (Qt starts some), so every thread leaves the signals to it.
    // Ending the session or a kill then ends the program like Exit Driver.
    auto termination = trq::platform::CatchTerminationSignals([](int) {
        if (applicationExists.load()) trq::app::CTRQ_GMouseApp::RequestExit();
    });
    auto application = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("trq-gmouse"));
    applicationExists.store(true);
    trq::app::CTRQ_GMouseApp app;
    const int code = app.InitInstance(QApplication::arguments());
    termination.reset();  // no signal handler runs past this point
    applicationExists.store(false);
    application.reset();
    return code;
}
