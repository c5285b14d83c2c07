#pragma once

// Where the input reader gets the mouse's read collection from, so that it can sleep until
// the mouse is opened instead of polling for a handle.

#include <cstddef>
#include <memory>
#include <stop_token>

#include "device/HidTransport.h"

namespace trq::device {

class ReadHandleSource {
  public:
    virtual ~ReadHandleSource() = default;

    // Blocks until an open read handle other than `stale` is available and returns it;
    // nullptr only once `stop` is requested (the wait must end promptly then). The reader
    // passes the handle it gave up on (its reads said Disconnected or Cancelled), or nullptr
    // at first, and keeps that handle alive during the call, so the address cannot be reused.
    virtual std::shared_ptr<HidHandle> WaitForReadHandle(std::stop_token stop,
                                                         const HidHandle* stale) = 0;

    // The read collection's input-report length in bytes, counting the report id; 0 when
    // unknown. Any thread.
    virtual std::size_t InputReportLength() const = 0;
};

}  // namespace trq::device
