#include "platform/linux/HidrawCollections.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

#include "platform/linux/SystemError.h"

namespace trq::platform {
namespace {

bool SamePairs(std::span<const UsagePair> listed,
               const std::vector<device::CollectionUsage>& usages, bool topLevelOnly) {
    std::size_t next = 0;
    for (const device::CollectionUsage& usage : usages) {
        if (topLevelOnly && usage.nested) continue;
        if (next == listed.size() || listed[next].usagePage != usage.usagePage ||
            listed[next].usage != usage.usage) {
            return false;
        }
        ++next;
    }
    return next == listed.size();
}

// For a listing SamePairs accepted.
std::vector<CollectionMatch> MatchInOrder(const std::vector<device::CollectionUsage>& usages,
                                          bool topLevelOnly) {
    std::vector<CollectionMatch> matches;
    for (const device::CollectionUsage& usage : usages) {
        if (topLevelOnly && usage.nested) continue;
        matches.push_back(
            {usage.nested ? CollectionMatch::Kind::Nested : CollectionMatch::Kind::TopLevel,
             usage.topLevel});
    }
    return matches;
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::optional<std::filesystem::path> ReportDescriptorPath(const std::filesystem::path& sysfsRoot,
                                                          std::string_view devnode) {
    const std::size_t slash = devnode.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? devnode : devnode.substr(slash + 1);
    constexpr std::string_view kPrefix = "hidraw";
    if (name.size() <= kPrefix.size() || name.substr(0, kPrefix.size()) != kPrefix) {
        return std::nullopt;
    }
    const std::string_view number = name.substr(kPrefix.size());
    if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return sysfsRoot / "class" / "hidraw" / std::string(name) / "device" / "report_descriptor";
}

std::optional<std::vector<std::uint8_t>> ReadReportDescriptor(
    const std::filesystem::path& sysfsRoot, std::string_view devnode, std::string& error) {
    const std::optional<std::filesystem::path> path = ReportDescriptorPath(sysfsRoot, devnode);
    if (!path) {
        error = "no report descriptor for " + std::string(devnode) + ": not a hidraw node";
        return std::nullopt;
    }
    const FileDescriptor file(::open(path->c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        error = SystemErrorText("cannot open " + path->string(), errno);
        return std::nullopt;
    }
    // One byte more than allowed tells a file that is too long.
    std::vector<std::uint8_t> bytes(kMaxDescriptorFileSize + 1);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = SystemErrorText("cannot read " + path->string(), errno);
            return std::nullopt;
        }
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled > kMaxDescriptorFileSize) {
        error = path->string() + " is too long for a report descriptor";
        return std::nullopt;
    }
    bytes.resize(filled);
    return bytes;
}

std::vector<CollectionMatch> MatchCollections(std::span<const UsagePair> listed,
                                              const device::ParsedDescriptor& parsed) {
    if (SamePairs(listed, parsed.collectionUsages, false)) {
        return MatchInOrder(parsed.collectionUsages, false);
    }
    if (SamePairs(listed, parsed.collectionUsages, true)) {
        return MatchInOrder(parsed.collectionUsages, true);
    }
    std::vector<CollectionMatch> matches(listed.size());
    std::vector<bool> taken(parsed.collections.size(), false);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        for (std::size_t c = 0; c < parsed.collections.size(); ++c) {
            const device::TopLevelCollection& collection = parsed.collections[c];
            if (!taken[c] && collection.usagePage == listed[i].usagePage &&
                collection.usage == listed[i].usage) {
                taken[c] = true;
                matches[i] = {CollectionMatch::Kind::TopLevel, c};
                break;
            }
        }
    }
    return matches;
}

std::vector<device::HidDeviceInfo> ResolveCollections(std::vector<device::HidDeviceInfo> listed,
                                                      const std::filesystem::path& sysfsRoot,
                                                      std::string& problem) {
    std::vector<bool> nested(listed.size(), false);
    std::vector<bool> done(listed.size(), false);
    for (std::size_t first = 0; first < listed.size(); ++first) {
        if (done[first]) continue;
        // All collections of one interface share its devnode.
        std::vector<std::size_t> members;
        std::vector<UsagePair> usages;
        for (std::size_t i = first; i < listed.size(); ++i) {
            if (!done[i] && listed[i].path == listed[first].path) {
                done[i] = true;
                members.push_back(i);
                usages.push_back({listed[i].usagePage, listed[i].usage});
            }
        }

        std::string error;
        const std::optional<std::vector<std::uint8_t>> descriptor =
            ReadReportDescriptor(sysfsRoot, listed[first].path, error);
        if (!descriptor) {
            problem = error;
            continue;
        }
        const device::ParsedDescriptor parsed = device::ParseReportDescriptor(*descriptor);
        if (!parsed.ok()) {
            problem = "report descriptor of " + listed[first].path + ": " +
                      std::string(device::DescriptorErrorText(parsed.error)) + " (byte " +
                      std::to_string(parsed.errorOffset) + ")";
            continue;
        }
        const std::vector<CollectionMatch> matches = MatchCollections(usages, parsed);
        for (std::size_t m = 0; m < members.size(); ++m) {
            device::HidDeviceInfo& entry = listed[members[m]];
            switch (matches[m].kind) {
                case CollectionMatch::Kind::TopLevel: {
                    const device::TopLevelCollection& collection =
                        parsed.collections[matches[m].index];
                    entry.inputReportLength = collection.inputReportLength;
                    entry.featureReportLength = collection.featureReportLength;
                    break;
                }
                case CollectionMatch::Kind::Nested:
                    nested[members[m]] = true;
                    break;
                case CollectionMatch::Kind::Unknown:
                    problem = entry.path + " lists a collection its report descriptor lacks";
                    break;
            }
        }
    }

    std::vector<device::HidDeviceInfo> kept;
    kept.reserve(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (!nested[i]) kept.push_back(std::move(listed[i]));
    }
    return kept;
}

}  // namespace trq::platform
