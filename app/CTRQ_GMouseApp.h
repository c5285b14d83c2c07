#pragma once

// The application: one window per user, the resident core under it, and the event loop.

#include <QStringList>

namespace trq::app {

class CTRQ_GMouseApp {
  public:
    // Runs the whole program on the QApplication that exists; `arguments` as Qt left them
    // (program name first). Returns the process's exit code: 0 when it ran and ended, also
    // when it only showed the running copy's window; 1 when another program drives the
    // mouse or the start-up ended early (no mouse, a missing skin file, settings that cannot
    // be read); 2 for a bad command line, a missing home folder or trace file.
    int InitInstance(const QStringList& arguments);

    // Ends the program like Exit Driver (a termination signal). Any thread; the work is
    // queued to the window thread, so it is safe once the application object exists.
    static void RequestExit();
};

}  // namespace trq::app
