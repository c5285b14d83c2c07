#include "device/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <optional>

namespace trq::device {
namespace {

enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

// Tags by type.
enum MainTag : std::uint8_t {
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC,
};
enum GlobalTag : std::uint8_t {
    kUsagePage = 0x0,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};
enum LocalTag : std::uint8_t { kUsage = 0x0 };
constexpr std::uint8_t kLongItemTag = 0xF;

constexpr std::uint64_t kMaxReportBits = (kMaxReportLength - 1) * 8;

struct GlobalState {
    std::uint16_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;  // 0: reports are not numbered
};

// Report bits per report id of the top-level collection being read, for one report kind.
class ReportSizes {
  public:
    // False when the report would grow past kMaxReportBits.
    bool Add(std::uint8_t reportId, std::uint64_t bits) {
        if (bits == 0) return true;
        std::uint64_t& total = bits_[reportId];
        if (total == 0) used_.push_back(reportId);
        // Each term is below 2^64 - 2^33 and total stays at most kMaxReportBits: no wrap.
        if (bits > kMaxReportBits - total) return false;
        total += bits;
        return true;
    }

    // Largest report in bytes with its id byte, or 0; then starts afresh.
    std::size_t TakeLongest() {
        std::uint64_t longest = 0;
        for (std::uint8_t id : used_) {
            longest = std::max(longest, bits_[id]);
            bits_[id] = 0;
        }
        used_.clear();
        return longest == 0 ? 0 : static_cast<std::size_t>((longest + 7) / 8 + 1);
    }

  private:
    std::array<std::uint64_t, 256> bits_{};
    std::vector<std::uint8_t> used_;
};

class Parser {
  public:
    explicit Parser(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    ParsedDescriptor Run() {
        std::size_t pos = 0;
        while (pos < bytes_.size() && result_.ok()) {
            const std::size_t start = pos;
            const std::uint8_t prefix = bytes_[pos];
            const std::uint8_t tag = prefix >> 4;
            if (tag == kLongItemTag) {
                // Prefix, data size, long tag, data: nothing here is of interest.
                if (bytes_.size() - pos < 3 || bytes_.size() - pos - 3 < bytes_[pos + 1]) {
                    Fail(DescriptorError::Truncated, start);
                    break;
                }
                pos += 3 + bytes_[pos + 1];
                continue;
            }
            const std::size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
            if (bytes_.size() - pos - 1 < dataSize) {
                Fail(DescriptorError::Truncated, start);
                break;
            }
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < dataSize; ++i) {
                value |= static_cast<std::uint32_t>(bytes_[pos + 1 + i]) << (8 * i);
            }
            pos += 1 + dataSize;

            switch ((prefix >> 2) & 3) {
                case kMain:
                    Main(tag, start);
                    break;
                case kGlobal:
                    Global(tag, value, start);
                    break;
                case kLocal:
                    Local(tag, value, dataSize);
                    break;
                default:  // reserved type: skipped
                    break;
            }
        }
        if (result_.ok() && depth_ > 0) Fail(DescriptorError::UnclosedCollection, bytes_.size());
        return std::move(result_);
    }

  private:
    void Fail(DescriptorError error, std::size_t offset) {
        if (!result_.ok()) return;
        result_.error = error;
        result_.errorOffset = offset;
        result_.collections.clear();
        result_.collectionUsages.clear();
    }

    void Main(std::uint8_t tag, std::size_t start) {
        switch (tag) {
            case kCollection:
                OpenCollection(start);
                break;
            case kEndCollection:
                if (depth_ == 0) {
                    Fail(DescriptorError::UnbalancedCollection, start);
                    break;
                }
                if (--depth_ == 0) {
                    TopLevelCollection& top = result_.collections.back();
                    top.inputReportLength = input_.TakeLongest();
                    top.featureReportLength = feature_.TakeLongest();
                }
                break;
            case kInput:
            case kFeature:
                // Items outside every collection belong to no report a program can read.
                if (depth_ > 0) {
                    const std::uint64_t bits =
                        std::uint64_t{global_.reportSize} * global_.reportCount;
                    ReportSizes& sizes = tag == kInput ? input_ : feature_;
                    if (!sizes.Add(global_.reportId, bits)) {
                        Fail(DescriptorError::ReportTooLong, start);
                    }
                }
                break;
            default:  // Output, reserved tags
                break;
        }
        usage_.reset();
    }

    void OpenCollection(std::size_t start) {
        if (depth_ == kMaxCollectionDepth) {
            Fail(DescriptorError::NestingTooDeep, start);
            return;
        }
        // A usage without its own page takes the page in force now, even one set after it.
        const std::uint16_t page = usage_ && usage_->hasPage ? usage_->page : global_.usagePage;
        const std::uint16_t usage = usage_ ? usage_->usage : 0;
        if (depth_ == 0) result_.collections.push_back({page, usage, 0, 0});
        if (usage_) {
            result_.collectionUsages.push_back(
                {page, usage, result_.collections.size() - 1, depth_ > 0});
        }
        ++depth_;
    }

    void Global(std::uint8_t tag, std::uint32_t value, std::size_t start) {
        switch (tag) {
            case kUsagePage:
                global_.usagePage = static_cast<std::uint16_t>(value);
                break;
            case kReportSize:
                global_.reportSize = value;
                break;
            case kReportCount:
                global_.reportCount = value;
                break;
            case kReportId:
                if (value == 0 || value > 255) {
                    Fail(DescriptorError::InvalidReportId, start);
                    break;
                }
                global_.reportId = static_cast<std::uint8_t>(value);
                result_.usesReportIds = true;
                break;
            case kPush:
                if (stackSize_ == stack_.size()) {
                    Fail(DescriptorError::PushOverflow, start);
                    break;
                }
                stack_[stackSize_++] = global_;
                break;
            case kPop:
                if (stackSize_ == 0) {
                    Fail(DescriptorError::PopUnderflow, start);
                    break;
                }
                global_ = stack_[--stackSize_];
                break;
            default:  // logical and physical ranges, units, reserved tags
                break;
        }
    }

    void Local(std::uint8_t tag, std::uint32_t value, std::size_t dataSize) {
        if (tag != kUsage) return;
        // A four-byte usage carries its page in the upper half.
        if (dataSize == 4) {
            usage_ = PendingUsage{static_cast<std::uint16_t>(value), true,
                                  static_cast<std::uint16_t>(value >> 16)};
        } else {
            usage_ = PendingUsage{static_cast<std::uint16_t>(value), false, 0};
        }
    }

    struct PendingUsage {
        std::uint16_t usage;
        bool hasPage;
        std::uint16_t page;
    };

    std::span<const std::uint8_t> bytes_;
    ParsedDescriptor result_;
    GlobalState global_;
    std::array<GlobalState, kMaxGlobalStack> stack_{};
    std::size_t stackSize_ = 0;
    std::size_t depth_ = 0;
    // The last Usage since the previous main item names the collection that follows.
    std::optional<PendingUsage> usage_;
    ReportSizes input_;
    ReportSizes feature_;
};

}  // namespace

ParsedDescriptor ParseReportDescriptor(std::span<const std::uint8_t> descriptor) {
    return Parser(descriptor).Run();
}

std::string_view DescriptorErrorText(DescriptorError error) {
    switch (error) {
        case DescriptorError::None:
            return "no error";
        case DescriptorError::Truncated:
            return "an item runs past the end of the descriptor";
        case DescriptorError::UnbalancedCollection:
            return "End Collection without an open collection";
        case DescriptorError::UnclosedCollection:
            return "a collection is not closed at the end of the descriptor";
        case DescriptorError::NestingTooDeep:
            return "collections nested too deeply";
        case DescriptorError::PushOverflow:
            return "too many Push items";
        case DescriptorError::PopUnderflow:
            return "Pop without Push";
        case DescriptorError::InvalidReportId:
            return "report id outside 1..255";
        case DescriptorError::ReportTooLong:
            return "a report is too long";
    }
    return "unknown error";
}

}  // namespace trq::device
