#pragma once

// Reads a HID report descriptor far enough to list its top-level collections with their
// usage and the length of their largest input and feature report.
//
// A descriptor is a sequence of items. A short item is one prefix byte (bits 0-1: data
// size 0, 1, 2 or 4 bytes; bits 2-3: type main, global or local; bits 4-7: tag) followed
// by its little-endian data. A prefix with tag 15 starts a long item: a data size byte, a
// tag byte and that many data bytes. Global items (usage page, report size, report count,
// report id) hold until changed, Push and Pop save and restore them; local items (usage)
// last until the next main item (Input, Output, Feature, Collection, End Collection).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace trq::device {

// A collection that is not nested in another one: what the system offers programs as one
// device.
struct TopLevelCollection {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;  // 0 when the collection names none
    // Largest input / feature report in bytes, counting one report-id byte even when the
    // descriptor numbers no reports; 0 when the collection has no report of that kind.
    std::size_t inputReportLength = 0;
    std::size_t featureReportLength = 0;
};

// A collection, nested or not, that names a usage; listed in descriptor order.
struct CollectionUsage {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::size_t topLevel = 0;  // index in ParsedDescriptor::collections of its outermost one
    bool nested = false;
};

enum class DescriptorError {
    None,
    Truncated,             // an item's data runs past the end
    UnbalancedCollection,  // End Collection with no collection open
    UnclosedCollection,    // collections still open at the end
    NestingTooDeep,        // more than kMaxCollectionDepth collections inside each other
    PushOverflow,          // more than kMaxGlobalStack Push items without Pop
    PopUnderflow,          // Pop without a matching Push
    InvalidReportId,       // report id 0 or above 255
    ReportTooLong,         // a report longer than kMaxReportLength bytes
};

inline constexpr std::size_t kMaxCollectionDepth = 64;
inline constexpr std::size_t kMaxGlobalStack = 16;
inline constexpr std::size_t kMaxReportLength = 65535;  // counting the report-id byte

struct ParsedDescriptor {
    DescriptorError error = DescriptorError::None;
    std::size_t errorOffset = 0;  // where the item at fault starts
    // Both empty when error is set.
    std::vector<TopLevelCollection> collections;
    std::vector<CollectionUsage> collectionUsages;
    bool usesReportIds = false;  // a Report ID item occurs anywhere

    bool ok() const { return error == DescriptorError::None; }
};

// Parses `descriptor`. Never reads outside it and never fails other than through `error`.
// Lenient where devices are sloppy: unknown and reserved items, main items outside any
// collection and long items are skipped; usage pages wider than 16 bits are cut to 16.
ParsedDescriptor ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

// A short English description of `error`, for messages.
std::string_view DescriptorErrorText(DescriptorError error);

}  // namespace trq::device
