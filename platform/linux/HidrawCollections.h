#pragma once

// Completes hidapi's list of hidraw collections with the report lengths from each
// interface's report descriptor, which the kernel publishes in sysfs.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/HidTransport.h"
#include "device/ReportDescriptor.h"

namespace trq::platform {

// Longest descriptor read from sysfs; the kernel itself takes at most 4096 bytes.
inline constexpr std::size_t kMaxDescriptorFileSize = 65536;

// <sysfsRoot>/class/hidraw/hidrawN/device/report_descriptor for a devnode named hidrawN
// (normally /dev/hidrawN); nullopt when the node's name is not of that form.
std::optional<std::filesystem::path> ReportDescriptorPath(const std::filesystem::path& sysfsRoot,
                                                          std::string_view devnode);

// The descriptor bytes of `devnode`; nullopt with the reason in `error` when the file is
// missing, unreadable or longer than kMaxDescriptorFileSize.
std::optional<std::vector<std::uint8_t>> ReadReportDescriptor(
    const std::filesystem::path& sysfsRoot, std::string_view devnode, std::string& error);

struct UsagePair {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
};

struct CollectionMatch {
    enum class Kind {
        TopLevel,  // stands for parsed.collections[index]
        Nested,    // a collection inside a top-level one
        Unknown,   // matches nothing in the descriptor
    };
    Kind kind = Kind::Unknown;
    std::size_t index = 0;
};

// Which collection of `parsed` each of `listed` (the usages hidapi lists for one interface,
// in its order) stands for. hidapi 0.13 lists every collection that names a usage, nested
// ones too, later versions only the top-level ones; a listing that is neither is matched
// usage by usage, each top-level collection at most once, in descriptor order.
std::vector<CollectionMatch> MatchCollections(std::span<const UsagePair> listed,
                                              const device::ParsedDescriptor& parsed);

// Fills inputReportLength and featureReportLength of each entry from its interface's
// descriptor under `sysfsRoot`, and drops the entries that stand for nested collections.
// Entries whose descriptor cannot be read or parsed, or which match no collection, are
// kept with lengths 0; the reason for the last such failure goes to `problem` (left alone
// when there is none). The order of the entries is kept.
std::vector<device::HidDeviceInfo> ResolveCollections(std::vector<device::HidDeviceInfo> listed,
                                                      const std::filesystem::path& sysfsRoot,
                                                      std::string& problem);

}  // namespace trq::platform
