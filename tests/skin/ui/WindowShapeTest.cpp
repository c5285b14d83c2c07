#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <random>
#include <string>

#include "skin/ui/WindowShape.h"

namespace trq::skinui {
namespace {

// The region the way the mask was first defined: the full rectangle, then every light pixel
// toggled out by itself, columns outer and rows inner.
QRegion PerPixelRegion(const QImage& mask) {
    QRegion region(0, 0, mask.width(), mask.height());
    for (int x = 0; x < mask.width(); ++x) {
        for (int y = 0; y < mask.height(); ++y) {
            const QRgb p = mask.pixel(x, y);
            if (qRed(p) > 100 && qGreen(p) > 100 && qBlue(p) > 100) region ^= QRect(x, y, 1, 1);
        }
    }
    return region;
}

// The two regions hold exactly the same pixels (checked pixel by pixel around the mask, and
// by an empty difference, which also covers anything far outside).
void ExpectSamePixels(const QRegion& got, const QRegion& want, QSize size,
                      const std::string& label) {
    for (int y = -1; y <= size.height(); ++y) {
        for (int x = -1; x <= size.width(); ++x) {
            ASSERT_EQ(got.contains(QPoint(x, y)), want.contains(QPoint(x, y)))
                << label << " at " << x << "," << y;
        }
    }
    EXPECT_TRUE((got ^ want).isEmpty()) << label;
}

QImage Filled(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(BuildMaskRegion, CutsAwayOnlyPixelsLightInEveryChannel) {
    struct Case {
        QRgb pixel;
        bool window;
    };
    const Case cases[] = {
        {qRgb(101, 101, 101), false}, {qRgb(255, 255, 255), false}, {qRgb(255, 255, 100), true},
        {qRgb(100, 255, 255), true},  {qRgb(255, 0, 255), true},    {qRgb(100, 100, 100), true},
        {qRgb(0, 0, 0), true},
    };
    for (const Case& c : cases) {
        QImage mask = Filled(3, 3, qRgb(0, 0, 0));
        mask.setPixel(1, 1, c.pixel);
        const MaskShape shape = BuildMaskRegion(mask);
        EXPECT_EQ(shape.region.contains(QPoint(1, 1)), c.window)
            << qRed(c.pixel) << "," << qGreen(c.pixel) << "," << qBlue(c.pixel);
        EXPECT_TRUE(shape.region.contains(QPoint(0, 0)));
        ExpectSamePixels(shape.region, PerPixelRegion(mask), mask.size(), "single pixel");
    }
}

TEST(BuildMaskRegion, AllLightIsEmptyAndNoneLightIsTheFullRectangle) {
    const MaskShape light = BuildMaskRegion(Filled(17, 9, qRgb(101, 101, 101)));
    EXPECT_TRUE(light.region.isEmpty());
    EXPECT_EQ(light.size, QSize(17, 9));

    const MaskShape dark = BuildMaskRegion(Filled(17, 9, qRgb(255, 255, 100)));
    EXPECT_EQ(dark.region, QRegion(0, 0, 17, 9));
    EXPECT_EQ(dark.size, QSize(17, 9));

    const MaskShape none = BuildMaskRegion(QImage());
    EXPECT_TRUE(none.region.isEmpty());
    EXPECT_TRUE(none.size.isEmpty());
}

TEST(BuildMaskRegion, CraftedShapesMatchThePerPixelWay) {
    struct Case {
        const char* name;
        QStringList rows;  // '#' window, '.' light
    };
    const Case cases[] = {
        {"hole in the middle", {"#####", "#...#", "#...#", "#####"}},
        {"runs touching both edges", {"##..#", "##..#", "#....", "....#"}},
        {"repeated and changing rows", {"#.#.#", "#.#.#", ".#.#.", "#.#.#", "#.#.#"}},
        {"single column", {"#", ".", "#", "#"}},
        {"single row", {"#.##..###"}},
        {"light top and bottom rows", {".....", "##.##", "....."}},
    };
    for (const Case& c : cases) {
        QImage mask(static_cast<int>(c.rows[0].size()), static_cast<int>(c.rows.size()),
                    QImage::Format_RGB32);
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                mask.setPixel(
                    x, y,
                    c.rows[y][x] == QLatin1Char('#') ? qRgb(20, 200, 20) : qRgb(230, 230, 230));
            }
        }
        ExpectSamePixels(BuildMaskRegion(mask).region, PerPixelRegion(mask), mask.size(), c.name);
    }
}

TEST(BuildMaskRegion, RandomMasksMatchThePerPixelWay) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        const int w = 1 + static_cast<int>(random() % 40);
        const int h = 1 + static_cast<int>(random() % 30);
        // Channels around the threshold, and a varying share of light pixels per mask.
        std::uniform_int_distribution<int> channel(95, 106);
        const unsigned lightShare = random() % 101;
        QImage mask(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool light = random() % 100 < lightShare;
                mask.setPixel(x, y,
                              light ? qRgb(101 + channel(random) % 100, 200, 255)
                                    : qRgb(channel(random), channel(random), channel(random)));
            }
        }
        ExpectSamePixels(BuildMaskRegion(mask).region, PerPixelRegion(mask), mask.size(),
                         "round " + std::to_string(round));
    }
}

TEST(BuildMaskRegion, ReadsTheMaskPictureOfTheSkinFolder) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage mask = Filled(40, 30, qRgb(255, 255, 255));
    for (int y = 5; y < 25; ++y) {
        for (int x = 10; x < 30; ++x)
            mask.setPixel(x, y, qRgb(0, 0, 0));
    }
    // PNG keeps the pixels exact; the shape does not depend on the file type.
    ASSERT_TRUE(mask.save(QDir(folder.path()).filePath("warning_mask.png")));

    const std::optional<MaskShape> shape = BuildMaskRegion(folder.path(), "\\warning_mask.png");
    ASSERT_TRUE(shape.has_value());
    EXPECT_EQ(shape->size, QSize(40, 30));
    EXPECT_EQ(shape->region, QRegion(10, 5, 20, 20));

    EXPECT_FALSE(BuildMaskRegion(folder.path(), "\\main_mask.jpg").has_value());
}

TEST(BuildHoverRegion, TogglesTheThreeControlAreasOutOfTheWindow) {
    // A 100 x 60 window with a cut-away corner (80..99, 0..19).
    const QRegion window = QRegion(0, 0, 100, 60) - QRegion(80, 0, 20, 20);
    const skin::SkinBox name{10, 10, 30, 20};    // inside the shape
    const skin::SkinBox steps{70, 10, 90, 30};   // partly in the cut-away corner
    const skin::SkinBox macros{40, 40, 40, 50};  // zero width: changes nothing
    const QRegion hover = BuildHoverRegion(window, name, steps, macros);

    EXPECT_FALSE(hover.contains(QPoint(10, 10)));
    EXPECT_FALSE(hover.contains(QPoint(29, 19)));
    EXPECT_TRUE(hover.contains(QPoint(30, 20)));
    EXPECT_FALSE(hover.contains(QPoint(75, 25)));
    EXPECT_TRUE(hover.contains(QPoint(85, 15))) << "a cut-away pixel of an area comes back";
    EXPECT_FALSE(hover.contains(QPoint(95, 15)));
    EXPECT_TRUE(hover.contains(QPoint(40, 45)));
    EXPECT_TRUE(hover.contains(QPoint(0, 59)));

    skin::SkinLayouts layouts;
    layouts.macroNameArea = name;
    layouts.stepListArea = steps;
    layouts.macroListArea = macros;
    layouts.repeatCountArea = {0, 50, 10, 60};  // not taken out
    const QRegion fromLayouts = BuildHoverRegion(window, layouts);
    EXPECT_TRUE((fromLayouts ^ hover).isEmpty());
    EXPECT_TRUE(fromLayouts.contains(QPoint(5, 55)));
}

TEST(BuildHoverRegion, ReversedBoxesCountAsTheirNormalisedRectangle) {
    const QRegion window(0, 0, 50, 50);
    const QRegion reversed = BuildHoverRegion(window, {30, 30, 10, 10}, {}, {});
    EXPECT_TRUE((reversed ^ (window - QRegion(10, 10, 20, 20))).isEmpty());
}

TEST(PopupRegion, RowsOfTheMaskHeightPlusOne) {
    struct Case {
        QSize mask;
        int divisor;
        int rows;
        QSize size;
    };
    const Case cases[] = {
        {{180, 405}, 10, 10, {180, 401}},  // function menu: rows 40 high
        {{180, 405}, 12, 6, {180, 199}},   // sub-menu: rows 33 high
        {{180, 405}, 12, 12, {180, 397}},
        {{180, 405}, 12, 0, {0, 0}},   // a macro sub-menu without macros
        {{180, 5}, 10, 10, {180, 1}},  // rows of height 0 leave the bottom line
        {{180, 405}, 0, 10, {0, 0}},
        {{0, 0}, 10, 10, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PopupRegionSize(c.mask, c.divisor, c.rows), c.size)
            << c.mask.width() << "x" << c.mask.height() << " / " << c.divisor << " x " << c.rows;
        EXPECT_EQ(PopupRegion(c.mask, c.divisor, c.rows), QRegion(QRect(QPoint(0, 0), c.size)));
    }
}

}  // namespace
}  // namespace trq::skinui
