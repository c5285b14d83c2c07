#pragma once

// A scripted transport for the device-link tests: a fixed list of collections, opens that
// can be made to fail, and handles that record what is sent through them.

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "device/HidTransport.h"
#include "device/MouseProtocol.h"

namespace trq::device::test {

class FakeTransport : public HidTransport {
  public:
    struct Sent {
        std::string path;
        std::vector<std::uint8_t> bytes;
    };

    std::vector<HidDeviceInfo> list;
    std::set<std::string> failingOpens;
    std::vector<std::pair<std::string, OpenMode>> opens;
    std::vector<Sent> sent;  // shared by all handles; single-threaded tests only
    int enumerations = 0;

    std::vector<HidDeviceInfo> Enumerate() override {
        ++enumerations;
        return list;
    }

    std::unique_ptr<HidHandle> Open(const std::string& path, OpenMode mode) override {
        opens.emplace_back(path, mode);
        if (failingOpens.count(path) != 0) return nullptr;
        return std::make_unique<Handle>(*this, path);
    }

    bool WatchHotplug(HotplugCallback) override { return false; }
    std::string LastError() const override { return {}; }

    static HidDeviceInfo Other(std::string path) {
        return {std::move(path), 0x046D, 0xC077, 0x0001, 0x0002, 8, 0};
    }
    static HidDeviceInfo Mouse(std::string path, CollectionId collection,
                               std::size_t inputLength = 8, std::size_t featureLength = 8) {
        return {std::move(path),  kVendorId,   kProductId,   collection.usagePage,
                collection.usage, inputLength, featureLength};
    }

  private:
    class Handle : public HidHandle {
      public:
        Handle(FakeTransport& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
        bool SendFeatureReport(std::span<const std::uint8_t> report) override {
            owner_.sent.push_back({path_, {report.begin(), report.end()}});
            return true;
        }
        ReadResult Read(std::span<std::uint8_t>, std::chrono::milliseconds) override {
            return {ReadStatus::Timeout, 0};
        }
        void CancelRead() override {}
        std::string LastError() const override { return {}; }

      private:
        FakeTransport& owner_;
        std::string path_;
    };
};

}  // namespace trq::device::test
