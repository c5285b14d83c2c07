#include "platform/ControlPipe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/linux/FdWatcher.h"

namespace trq::platform {
namespace {

class FifoControlPipe final : public ControlPipe {
  public:
    FifoControlPipe(std::filesystem::path path, int fifo, ControlLineHandler handler,
                    ControlLineHandler refused)
        : path_(std::move(path)),
          fifo_(fifo),
          handler_(std::move(handler)),
          refused_(std::move(refused)) {
        // Lines written before the program opened the pipe are handled before it goes on.
        while (ReadLines()) {
        }
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
    // False when nothing was waiting.
    bool ReadLines() {
        char buffer[512];
        const ssize_t n = ::read(fifo_, buffer, sizeof buffer);
        if (n <= 0) return false;  // EAGAIN; no end of file, as we hold the pipe open for writing
        for (const char c : std::string_view(buffer, static_cast<std::size_t>(n))) {
            if (c == '\n') {
                EndLine();
            } else if (!overlong_) {
                pending_ += c;
                // One byte of room for the '\r' of a CRLF line end.
                if (pending_.size() > kMaxControlLine + 1) {
                    overlong_ = true;
                    pending_.clear();
                }
            }
        }
        return true;
    }

    void EndLine() {
        std::string line = std::move(pending_);
        pending_.clear();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (overlong_ || line.size() > kMaxControlLine) {
            overlong_ = false;
            if (refused_) {
                refused_("a line longer than " + std::to_string(kMaxControlLine) +
                         " bytes was ignored");
            }
            return;
        }
        if (!line.empty()) handler_(line);
    }

    std::filesystem::path path_;
    int fifo_;
    ControlLineHandler handler_;
    ControlLineHandler refused_;
    std::string pending_;    // the watcher's thread only
    bool overlong_ = false;  // the line being read is too long: dropped up to its end
    std::optional<FdWatcher> watcher_;
};

}  // namespace

std::unique_ptr<ControlPipe> OpenControlPipe(const std::filesystem::path& path,
                                             ControlLineHandler handler, std::string& error,
                                             ControlLineHandler refused) {
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
    auto pipe =
        std::make_unique<FifoControlPipe>(path, fifo, std::move(handler), std::move(refused));
    if (!pipe->ok()) {
        error = std::string("cannot watch the control pipe: ") + std::strerror(errno);
        return nullptr;
    }
    return pipe;
}

}  // namespace trq::platform
