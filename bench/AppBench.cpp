// The window program at run time, side by side with a bare Qt window that has a tray icon:
// start-up to the window's first paint, resident memory, and idle wake-ups per second over
// all threads with the window shown and hidden.
// Usage: bench_app [--start-up-only] [HOME]
//   HOME: a folder with config.ini, the macro files and skins/ (default: the build's home)
//   Runs on the display it is given; without one it runs itself under xvfb-run, so the
//   window, its shape and the tray icon go through a real X server.
//
// Each measured program is a child process (this binary in a child mode), so start-up
// includes loading and the numbers are the process's own: the real child runs the program's
// own start-up (single instance, core, virtual mouse, skin) exactly as trq-gmouse does.

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QProcess>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/AppIcon.h"
#include "app/CTRQ_GMouseApp.h"
#include "app/CTRQ_GMouseDlg.h"
#include "bench/BenchTable.h"

namespace {

namespace fs = std::filesystem;
using namespace trq;

constexpr int kStartRuns = 15;
constexpr int kIdleSeconds = 10;
constexpr char kTitle[] = "ZQ-K770 GAMING MOUSE";

// --- Children ---

// Says "shown" on stdout once the first paint of a window with the given title is done.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(QString title, bool exitThen) : title_(std::move(title)), exit_(exitThen) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!said_ && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->isWindow() && widget->windowTitle() == title_) {
                said_ = true;
                // Said once the paint is done and on the screen.
                QTimer::singleShot(0, [exitThen = exit_] {
                    rusage usage{};
                    ::getrusage(RUSAGE_SELF, &usage);
                    const double cpuMs =
                        static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
                    std::printf("shown\ncpu %.3f\n", cpuMs);
                    std::fflush(stdout);
                    if (exitThen) std::_Exit(0);
                });
            }
        }
        return false;
    }

  private:
    QString title_;
    bool exit_;
    bool said_ = false;
};

// Lines on stdin steer a resident child: "hide", "show", "color" (the Color page's tab).
void ListenToStdin(QObject* owner) {
    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [notifier] {
        char buffer[64];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer - 1);
        if (n <= 0) {
            notifier->setEnabled(false);
            return;
        }
        const std::string line(buffer, static_cast<std::size_t>(n));
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowTitle() != QString::fromLatin1(kTitle)) continue;
            if (line.starts_with("hide")) w->hide();
            if (line.starts_with("show")) w->show();
            if (auto* dialog = qobject_cast<app::CTRQ_GMouseDlg*>(w);
                dialog != nullptr && line.starts_with("color")) {
                const skin::SkinRect tab = dialog->Layouts().main.areas[11];
                const QPointF at(tab.x + tab.width / 2.0, tab.y + tab.height / 2.0);
                QMouseEvent move(QEvent::MouseMove, at, dialog->mapToGlobal(at), Qt::NoButton,
                                 Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(dialog, &move);
                QMouseEvent press(QEvent::MouseButtonPress, at, dialog->mapToGlobal(at),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(dialog, &press);
                QMouseEvent release(QEvent::MouseButtonRelease, at, dialog->mapToGlobal(at),
                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(dialog, &release);
            }
        }
        std::fputs("ok\n", stdout);
        std::fflush(stdout);
    });
}

int BareChild(int argc, char** argv, bool resident) {
    QApplication application(argc, argv);
    FirstPaint first(QString::fromLatin1(kTitle), !resident);
    application.installEventFilter(&first);
    QWidget window;
    window.setWindowTitle(QString::fromLatin1(kTitle));
    window.resize(800, 620);
    QSystemTrayIcon tray(app::AppIcon());
    tray.show();
    window.show();
    if (resident) ListenToStdin(&window);
    return QApplication::exec();
}

int RealChild(int argc, char** argv, const std::string& home, bool resident) {
    QApplication application(argc, argv);
    FirstPaint first(QString::fromLatin1(kTitle), !resident);
    application.installEventFilter(&first);
    QObject owner;
    if (resident) ListenToStdin(&owner);
    app::CTRQ_GMouseApp program;
    return program.InitInstance(
        {"trq-gmouse", "--home", QString::fromStdString(home), "--virtual-mouse"});
}

// --- The parent ---

struct ProcessStats {
    long rssKiB = 0;
    long switches = 0;  // voluntary + involuntary, over all threads
    int threads = 0;
};

long StatusValue(const fs::path& status, const std::string& key) {
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
    }
    return 0;
}

ProcessStats Stats(qint64 pid) {
    ProcessStats stats;
    const fs::path proc = fs::path("/proc") / std::to_string(pid);
    stats.rssKiB = StatusValue(proc / "status", "VmRSS");
    std::error_code ec;
    for (const auto& task : fs::directory_iterator(proc / "task", ec)) {
        stats.switches += StatusValue(task.path() / "status", "voluntary_ctxt_switches") +
                          StatusValue(task.path() / "status", "nonvoluntary_ctxt_switches");
        ++stats.threads;
    }
    return stats;
}

class Child {
  public:
    Child(const QString& self, const QStringList& args, const QString& runtime) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime);
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(self, args);
    }
    ~Child() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    // Reads lines until `line` (or one starting with it, returned); empty on timeout.
    QByteArray WaitForLine(const char* line, int ms = 20000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            while (process_.canReadLine()) {
                const QByteArray got = process_.readLine().trimmed();
                if (got.startsWith(line)) return got;
            }
            process_.waitForReadyRead(100);
        }
        return {};
    }
    void Say(const char* line) {
        process_.write(line);
        process_.write("\n");
        process_.waitForBytesWritten(1000);
        WaitForLine("ok", 5000);
        // What the command set off (unmapping, a page's first paint) is over before measuring.
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    qint64 Pid() const { return process_.processId(); }
    bool Finished(int ms) { return process_.waitForFinished(ms); }

  private:
    QProcess process_;
};

struct StartTime {
    double wallMs = -1;  // from starting the child to its window's first finished paint
    double cpuMs = -1;   // the child's processor time (all threads) until then
};

StartTime TimeStart(const QString& self, const QStringList& args, const QString& runtime) {
    StartTime t;
    QElapsedTimer timer;
    timer.start();
    Child child(self, args, runtime);
    if (child.WaitForLine("shown").isEmpty()) return t;
    t.wallMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    t.cpuMs = child.WaitForLine("cpu ").mid(4).toDouble();
    child.Finished(5000);
    return t;
}

// Wake-ups per second over all threads while nothing happens.
double IdleWakeups(qint64 pid) {
    const ProcessStats before = Stats(pid);
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    const ProcessStats after = Stats(pid);
    return static_cast<double>(after.switches - before.switches) / kIdleSeconds;
}

void PrintValue(const std::string& name, double value, const char* unit) {
    std::printf("%-44s %12.2f %12s %12s  %s\n", name.c_str(), value, "", "", unit);
}

int Parent(const std::string& self, fs::path home, bool startOnly) {
    QTemporaryDir scratch;
    if (!scratch.isValid()) return 1;
    // A scratch copy: the program writes its settings as it starts.
    const fs::path work = fs::path(scratch.path().toStdString()) / "home";
    fs::copy(home, work, fs::copy_options::recursive);
    const QString runtime = scratch.path() + "/runtime";
    fs::create_directories(runtime.toStdString());
    fs::permissions(runtime.toStdString(), fs::perms::owner_all);
    const QString exe = QString::fromStdString(self);
    const QStringList bare{"--child", "bare"};
    const QStringList real{"--child", "real", QString::fromStdString(work.string())};

    std::vector<double> bareMs;
    std::vector<double> realMs;
    std::vector<double> bareCpu;
    std::vector<double> realCpu;
    for (int i = 0; i < kStartRuns; ++i) {
        const StartTime b = TimeStart(exe, bare, runtime);
        const StartTime r = TimeStart(exe, real, runtime);
        bareMs.push_back(b.wallMs);
        bareCpu.push_back(b.cpuMs);
        realMs.push_back(r.wallMs);
        realCpu.push_back(r.cpuMs);
    }
    // The table's columns say us; these rows are milliseconds.
    const bench::Timing bareT = bench::Summarise(bareMs);
    const bench::Timing realT = bench::Summarise(realMs);
    bench::PrintHeader("Window program start-up, process start to the window's first paint");
    bench::PrintRow("bare Qt window with a tray icon", bareT, "ms");
    bench::PrintRow("trq-gmouse (virtual mouse, default skin)", realT, "ms");
    PrintValue("ratio of the medians (target <= 1.5)", realT.medianUs / bareT.medianUs, "x");
    bench::PrintRow("processor time until then, bare", bench::Summarise(bareCpu), "ms");
    bench::PrintRow("processor time until then, trq-gmouse", bench::Summarise(realCpu), "ms");
    if (startOnly) return 0;

    std::printf(
        "\nResident, idle for %d s each (targets: <= 45 MiB, <= 0.1 wake-ups/s;\n"
        "the LED preview runs only while the Color page is shown)\n",
        kIdleSeconds);
    std::printf("%-44s %12s %12s %12s\n", "program and state", "RSS MiB", "wake-ups/s", "threads");
    std::printf("%s\n", std::string(94, '-').c_str());
    const auto row = [](const char* name, qint64 pid) {
        const double wakeups = IdleWakeups(pid);
        const ProcessStats s = Stats(pid);
        std::printf("%-44s %12.1f %12.2f %12d\n", name, static_cast<double>(s.rssKiB) / 1024.0,
                    wakeups, s.threads);
        std::fflush(stdout);
    };
    {
        Child child(exe, {"--child", "bare-resident"}, runtime);
        if (child.WaitForLine("shown").isEmpty()) return 1;
        std::this_thread::sleep_for(std::chrono::seconds(1));
        row("bare Qt window, shown", child.Pid());
        child.Say("hide");
        row("bare Qt window, hidden", child.Pid());
    }
    {
        Child child(exe, {"--child", "real-resident", QString::fromStdString(work.string())},
                    runtime);
        if (child.WaitForLine("shown").isEmpty()) return 1;
        std::this_thread::sleep_for(std::chrono::seconds(1));
        row("trq-gmouse, shown (Main page)", child.Pid());
        child.Say("hide");
        row("trq-gmouse, hidden", child.Pid());
        child.Say("show");
        child.Say("color");
        row("trq-gmouse, Color page shown (for reference)", child.Pid());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--child") {
        const std::string home = args.size() >= 3 ? args[2] : "";
        if (args[1] == "bare") return BareChild(argc, argv, false);
        if (args[1] == "bare-resident") return BareChild(argc, argv, true);
        if (args[1] == "real") return RealChild(argc, argv, home, false);
        if (args[1] == "real-resident") return RealChild(argc, argv, home, true);
        return 2;
    }
    const char* display = std::getenv("DISPLAY");
    if ((display == nullptr || *display == '\0') && std::getenv("TRQ_BENCH_XVFB") == nullptr) {
        // No display: the same run on a virtual X server.
        setenv("TRQ_BENCH_XVFB", "1", 1);
        std::vector<char*> command{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                                   const_cast<char*>("-s"),
                                   const_cast<char*>("-screen 0 1024x768x24")};
        for (int i = 0; i < argc; ++i)
            command.push_back(argv[i]);
        command.push_back(nullptr);
        ::execvp("xvfb-run", command.data());
        std::cerr << "bench_app: no display and no xvfb-run; set DISPLAY\n";
        return 1;
    }
    std::vector<std::string> rest;
    bool startOnly = false;
    for (const std::string& arg : args) {
        if (arg == "--start-up-only") {
            startOnly = true;
        } else {
            rest.push_back(arg);
        }
    }
    const fs::path home = rest.empty() ? fs::path(TRQ_HOME_DIR) : fs::path(rest[0]);
    if (!fs::exists(home / "skins" / "main_mask.jpg")) {
        std::cerr << "bench_app: no skin in " << home << " (build the skin first)\n";
        return 1;
    }
    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);  // QProcess needs an event dispatcher
    return Parent(fs::canonical("/proc/self/exe").string(), home, startOnly);
}
