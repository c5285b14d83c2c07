// Fuzzes the report-descriptor parser: any bytes must parse without a crash or an
// out-of-bounds read, and what comes back must be self-consistent.
//
// Input: the descriptor's bytes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "device/ReportDescriptor.h"

namespace {

using trq::device::CollectionUsage;
using trq::device::kMaxReportLength;
using trq::device::ParsedDescriptor;
using trq::device::ParseReportDescriptor;
using trq::device::TopLevelCollection;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}
#define CHECK(condition) Check((condition), #condition)

// 0 (no report) or a report id byte plus at least one data byte, at most the maximum.
bool SaneLength(std::size_t length) {
    return length == 0 || (length >= 2 && length <= kMaxReportLength);
}

bool Same(const ParsedDescriptor& a, const ParsedDescriptor& b) {
    if (a.error != b.error || a.usesReportIds != b.usesReportIds ||
        a.collections.size() != b.collections.size() ||
        a.collectionUsages.size() != b.collectionUsages.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.collections.size(); ++i) {
        const TopLevelCollection& x = a.collections[i];
        const TopLevelCollection& y = b.collections[i];
        if (x.usagePage != y.usagePage || x.usage != y.usage ||
            x.inputReportLength != y.inputReportLength ||
            x.featureReportLength != y.featureReportLength) {
            return false;
        }
    }
    for (std::size_t i = 0; i < a.collectionUsages.size(); ++i) {
        const CollectionUsage& x = a.collectionUsages[i];
        const CollectionUsage& y = b.collectionUsages[i];
        if (x.usagePage != y.usagePage || x.usage != y.usage || x.topLevel != y.topLevel ||
            x.nested != y.nested) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const ParsedDescriptor parsed = ParseReportDescriptor(bytes);

    if (!parsed.ok()) {
        CHECK(parsed.collections.empty());
        CHECK(parsed.collectionUsages.empty());
        CHECK(parsed.errorOffset <= size);
        return 0;
    }

    // A collection takes two bytes at least (Collection and End Collection).
    CHECK(parsed.collections.size() <= size / 2);
    for (const TopLevelCollection& collection : parsed.collections) {
        CHECK(SaneLength(collection.inputReportLength));
        CHECK(SaneLength(collection.featureReportLength));
    }
    // Usages come in descriptor order: their top-level collection never goes back, and a
    // top-level collection is listed before what is nested in it.
    std::size_t lastTop = 0;
    bool seenTop = false;
    for (const CollectionUsage& usage : parsed.collectionUsages) {
        CHECK(usage.topLevel < parsed.collections.size());
        CHECK(!seenTop || usage.topLevel >= lastTop);
        if (!usage.nested) {
            CHECK(!seenTop || usage.topLevel > lastTop);
            const TopLevelCollection& top = parsed.collections[usage.topLevel];
            CHECK(top.usagePage == usage.usagePage && top.usage == usage.usage);
        }
        lastTop = usage.topLevel;
        seenTop = true;
    }

    // A zero byte after a complete descriptor is a reserved main item: nothing changes.
    std::vector<std::uint8_t> padded(bytes.begin(), bytes.end());
    padded.push_back(0);
    CHECK(Same(ParseReportDescriptor(padded), parsed));
    return 0;
}
