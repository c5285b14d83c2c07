#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "skin/ui/CopySkinArea.h"

namespace trq::skinui {
namespace {

// Every pixel distinct, so a copy from the wrong place shows.
QImage Pattern(int w, int h, int seed, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 7 + seed, y * 11, seed));
    }
    return image.convertToFormat(format);
}

bool Inside(std::int64_t px, std::int64_t py, const skin::SkinRect& r) {
    return px >= r.x && py >= r.y && px < std::int64_t{r.x} + r.width &&
           py < std::int64_t{r.y} + r.height;
}

// Pixel (x, y) of dest after the copy: from source where the rectangle and both images
// cover it, unchanged elsewhere.
void ExpectCopied(const QImage& before, const QImage& after, const QImage& source,
                  const skin::SkinRect& r, const std::string& label) {
    ASSERT_EQ(before.size(), after.size()) << label;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            const bool copied = Inside(x, y, r) && source.rect().contains(x, y);
            const QRgb want = copied ? source.pixel(x, y) : before.pixel(x, y);
            ASSERT_EQ(after.pixel(x, y), want) << label << " at " << x << "," << y;
        }
    }
}

TEST(CopySkinArea, CopiesTheSameRectangleClippedToBothImages) {
    struct Case {
        const char* name;
        skin::SkinRect area;
        QSize sourceSize;
    };
    const Case cases[] = {
        {"inside", {3, 2, 5, 4}, {20, 12}},
        {"whole", {0, 0, 20, 12}, {20, 12}},
        {"over the left and top edges", {-4, -3, 8, 6}, {20, 12}},
        {"over the right and bottom edges", {15, 9, 30, 30}, {20, 12}},
        {"wholly outside", {25, 2, 5, 5}, {20, 12}},
        {"wholly above", {2, -20, 5, 5}, {20, 12}},
        {"zero width", {3, 3, 0, 5}, {20, 12}},
        {"negative size", {10, 10, -5, -5}, {20, 12}},
        {"int32 extremes", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {20, 12}},
        {"near the int32 end", {INT_MAX - 2, 1, INT_MAX, 3}, {20, 12}},
        {"covering everything", {-100, -100, INT_MAX, INT_MAX}, {20, 12}},
        {"smaller source", {0, 0, 20, 12}, {8, 5}},
        {"larger source", {2, 2, 40, 40}, {40, 30}},
    };
    for (const Case& c : cases) {
        const QImage source = Pattern(c.sourceSize.width(), c.sourceSize.height(), 100);
        const QImage before = Pattern(20, 12, 0);
        QImage dest = before;
        CopySkinArea(dest, source, c.area);
        ExpectCopied(before, dest, source, c.area, c.name);
    }
}

TEST(CopySkinArea, CopiesOpaquelyAcrossFormats) {
    // A half-transparent source pixel replaces the destination pixel instead of blending.
    QImage source(4, 4, QImage::Format_ARGB32);
    source.fill(qRgba(200, 10, 10, 128));
    QImage dest = Pattern(4, 4, 0);
    CopySkinArea(dest, source, {1, 1, 2, 2});
    EXPECT_EQ(dest.format(), QImage::Format_RGB32);
    EXPECT_EQ(qRed(dest.pixel(1, 1)), 200);
    EXPECT_EQ(dest.pixel(0, 0), Pattern(4, 4, 0).pixel(0, 0));

    const QImage rgb888 = Pattern(10, 6, 50, QImage::Format_RGB888);
    const QImage before = Pattern(10, 6, 0);
    QImage target = before;
    CopySkinArea(target, rgb888, {-2, 1, 7, 9});
    ExpectCopied(before, target, rgb888.convertToFormat(QImage::Format_RGB32), {-2, 1, 7, 9},
                 "RGB888 source");
}

TEST(CopySkinArea, NullImagesCopyNothing) {
    QImage dest = Pattern(5, 5, 0);
    CopySkinArea(dest, QImage(), {0, 0, 5, 5});
    EXPECT_EQ(dest, Pattern(5, 5, 0));
    QImage none;
    CopySkinArea(none, Pattern(5, 5, 0), {0, 0, 5, 5});
    EXPECT_TRUE(none.isNull());
}

TEST(CopySkinArea, LeavesACopySharingTheDestinationUntouched) {
    QImage dest = Pattern(6, 6, 0);
    const QImage shared = dest;  // implicitly shared until written
    CopySkinArea(dest, Pattern(6, 6, 90), {0, 0, 6, 6});
    EXPECT_EQ(shared, Pattern(6, 6, 0));
    EXPECT_EQ(dest, Pattern(6, 6, 90));
}

}  // namespace
}  // namespace trq::skinui
