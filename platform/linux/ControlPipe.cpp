#include "platform/ControlPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace trq::platform {
namespace {

class FifoControlPipe final : public ControlPipe {
public:
    FifoControlPipe(std::filesystem::path path, int fifo, int wake, ControlLineHandler handler)
        : path_(std::move(path)), fifo_(fifo), wake_(wake), handler_(std::move(handler)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~FifoControlPipe() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
        thread_.join();
        ::close(fifo_);
        ::close(wake_);
        ::unlink(path_.c_str());
    }
    FifoControlPipe(const FifoControlPipe&) = delete;
    FifoControlPipe& operator=(const FifoControlPipe&) = delete;

private:
    void Run() {
        std::string pending;
        char buffer[512];
        for (;;) {
            pollfd fds[2] = {{fifo_, POLLIN, 0}, {wake_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents != 0) return;
            const ssize_t n = ::read(fifo_, buffer, sizeof buffer);
            if (n <= 0) continue;  // EAGAIN; no EOF, as we hold the pipe open for writing too
            pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (!line.empty()) handler_(line);
            }
            if (pending.size() > 4096) pending.clear();  // no newline in sight: junk
        }
    }

    std::filesystem::path path_;
    int fifo_;
    int wake_;
    ControlLineHandler handler_;
    std::thread thread_;
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
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    if (wake < 0) {
        error = std::string("eventfd: ") + std::strerror(errno);
        ::close(fifo);
        return nullptr;
    }
    return std::make_unique<FifoControlPipe>(path, fifo, wake, std::move(handler));
}

}  // namespace trq::platform
