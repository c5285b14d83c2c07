#include "platform/ControlPipe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/linux/FdWatcher.h"

namespace trq::platform {
namespace {

class FifoControlPipe final : public ControlPipe {
  public:
    FifoControlPipe(std::filesystem::path path, int fifo, ControlLineHandler handler)
        : path_(std::move(path)), fifo_(fifo), handler_(std::move(handler)) {
        watcher_.emplace(fifo_, [this] { ReadLines(); });
    }
    ~FifoControlPipe() override {
        watcher_.reset();
        ::close(fifo_);
        ::unlink(path_.c_str());
    }
    FifoControlPipe(const FifoControlPipe&) = delete;
    FifoControlPipe& operator=(const FifoControlPipe&) = delete;

    bool ok() const { return watcher_ && watcher_->ok(); }

  private:
    void ReadLines() {
        char buffer[512];
        const ssize_t n = ::read(fifo_, buffer, sizeof buffer);
        if (n <= 0) return;  // EAGAIN; no end-of-file, as we hold the pipe open for writing too
        pending_.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) handler_(line);
        }
        if (pending_.size() > 4096) pending_.clear();  // no line end in sight: junk
    }

    std::filesystem::path path_;
    int fifo_;
    ControlLineHandler handler_;
    std::string pending_;  // the watcher's thread only
    std::optional<FdWatcher> watcher_;
};

}  // namespace

std::unique_ptr<ControlPipe> OpenControlPipe(const std::filesystem::path& path,
                                             ControlLineHandler handler, std::string& error) {
    if (::mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) {
        error = "cannot create " + path.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode)) {
        error = path.string() + " exists and is not a named pipe";
        return nullptr;
    }
    // Read-write, so the pipe never reports end-of-file when a writer closes it.
    const int fifo = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fifo < 0) {
        error = "cannot open " + path.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    auto pipe = std::make_unique<FifoControlPipe>(path, fifo, std::move(handler));
    if (!pipe->ok()) {
        error = std::string("cannot watch the control pipe: ") + std::strerror(errno);
        return nullptr;
    }
    return pipe;
}

}  // namespace trq::platform
