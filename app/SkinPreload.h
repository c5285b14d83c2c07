#pragma once

// What the window's first paint needs from the skin, made on worker threads while the window
// thread reads the settings, loads the layouts and applies: the mask's region, the first
// page's decoded pictures, and the loaded font database. Each result is handed over once;
// the destructor waits for the workers.

#include <QString>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "skin/Page.h"
#include "skin/ui/SkinPictures.h"
#include "skin/ui/WindowShape.h"

namespace trq::app {

class SkinPreload {
  public:
    // Starts the work for `page`'s pictures in `skinFolder`, and the font of `language` (0
    // Chinese, anything else English).
    SkinPreload(const QString& skinFolder, skin::Page page, std::uint8_t language);
    ~SkinPreload();

    SkinPreload(const SkinPreload&) = delete;
    SkinPreload& operator=(const SkinPreload&) = delete;

    // The region and size of "main_mask.jpg"; nothing when it is missing or undecodable.
    // Waits for it. Once.
    std::optional<skinui::MaskShape> TakeMask();

    // The window's pictures (of the mask's size), the page's three state pictures already
    // decoded; null when the mask is missing. Waits for them. Once. The object is the
    // caller's from then on, to be used on the window thread.
    std::unique_ptr<skinui::SkinPictures> TakePictures();

  private:
    std::future<std::optional<skinui::MaskShape>> mask_;
    std::future<std::unique_ptr<skinui::SkinPictures>> pictures_;
    std::jthread fonts_;
};

}  // namespace trq::app
