#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>

#include "skin/ui/PlanPainter.h"

namespace trq::skinui {
namespace {

using skin::CopyOp;
using skin::FillOp;
using skin::Page;
using skin::Picture;
using skin::SkinRect;
using skin::TextAlign;
using skin::TextOp;

constexpr QSize kWindow{120, 80};

bool Near(QRgb got, QRgb want) {
    // The pictures are JPEG files; a flat colour comes back within a step or two.
    return qAbs(qRed(got) - qRed(want)) <= 3 && qAbs(qGreen(got) - qGreen(want)) <= 3 &&
           qAbs(qBlue(got) - qBlue(want)) <= 3;
}

// A skin folder whose pictures are each one flat colour, so every pixel tells its source.
class PlanPainterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        Save(Page::Main, Picture::Normal, kNormal);
        Save(Page::Main, Picture::Over, kOver);
        Save(Page::Main, Picture::Down, kDown);
        Save(Page::Color, Picture::Normal, kNormal);
        Save(Page::Color, Picture::Gray, kGray);
    }

    void Save(Page page, Picture picture, QRgb colour) {
        QImage image(kWindow, QImage::Format_RGB32);
        image.fill(colour);
        const std::string name(skin::PictureFile(page, picture));
        ASSERT_TRUE(
            image.save(QDir(folder_.path()).filePath(QString::fromStdString(name)), "JPG", 100));
    }

    static constexpr QRgb kNormal = 0xFF204060;
    static constexpr QRgb kOver = 0xFF00C000;
    static constexpr QRgb kDown = 0xFFC00000;
    static constexpr QRgb kGray = 0xFF808080;

    QTemporaryDir folder_;
    PlanPainter painter_;
};

TEST_F(PlanPainterTest, CopiesAndFillsInPlanOrderOverTheNormalPicture) {
    SkinPictures pictures(folder_.path(), kWindow);
    skin::PaintPlan plan;
    plan.page = Page::Main;
    plan.ops = {
        CopyOp{Picture::Over, {10, 10, 20, 10}},
        CopyOp{Picture::Down, {40, 10, 20, 10}},
        FillOp{{70, 10, 20, 10}, {0, 0, 255}},
        CopyOp{Picture::Over, {80, 15, 30, 10}},     // later ops cover earlier ones
        CopyOp{Picture::Gray, {0, 40, 50, 10}},      // no gray picture on the Main page
        FillOp{{110, 70, 100, 100}, {255, 0, 255}},  // clipped at the window's edge
    };
    QImage canvas;
    painter_.Paint(plan, pictures, canvas);
    ASSERT_EQ(canvas.size(), kWindow);

    struct Probe {
        QPoint at;
        QRgb want;
    };
    const Probe probes[] = {
        {{10, 10}, kOver},
        {{29, 19}, kOver},
        {{30, 10}, kNormal},
        {{9, 10}, kNormal},
        {{40, 10}, kDown},
        {{59, 19}, kDown},
        {{70, 10}, qRgb(0, 0, 255)},
        {{79, 14}, qRgb(0, 0, 255)},
        {{80, 15}, kOver},
        {{89, 19}, kOver},
        {{109, 24}, kOver},
        {{5, 45}, kNormal},
        {{119, 79}, qRgb(255, 0, 255)},
        {{109, 79}, kNormal},
    };
    for (const Probe& p : probes) {
        EXPECT_TRUE(Near(canvas.pixel(p.at), p.want))
            << p.at.x() << "," << p.at.y() << ": " << std::hex << canvas.pixel(p.at);
    }
}

TEST_F(PlanPainterTest, EachPaintStartsAgainFromTheNormalPictureOnTheSameCanvas) {
    SkinPictures pictures(folder_.path(), kWindow);
    skin::PaintPlan hovered;
    hovered.ops = {CopyOp{Picture::Over, {0, 0, 50, 50}}};
    QImage canvas;
    painter_.Paint(hovered, pictures, canvas);
    const uchar* bits = canvas.constBits();
    painter_.Paint(skin::PaintPlan{}, pictures, canvas);
    EXPECT_EQ(canvas.constBits(), bits) << "the canvas is reused";
    EXPECT_TRUE(Near(canvas.pixel(10, 10), kNormal));
}

TEST_F(PlanPainterTest, ColorPageDrawsItsExtraPreviewPictures) {
    SkinPictures pictures(folder_.path(), kWindow);
    skin::PaintPlan plan;
    plan.page = Page::Color;
    plan.ops = {CopyOp{Picture::Gray, {5, 5, 10, 10}}, CopyOp{Picture::Blue, {30, 5, 10, 10}}};
    QImage canvas;
    painter_.Paint(plan, pictures, canvas);
    EXPECT_TRUE(Near(canvas.pixel(6, 6), kGray));
    // The blue picture is missing: its area shows the neutral colour instead.
    EXPECT_EQ(canvas.pixel(31, 6), kMissingPictureColor.rgb());
}

TEST_F(PlanPainterTest, MissingNormalPictureStillGivesAWindowSizedCanvas) {
    SkinPictures pictures(folder_.path() + "/nothing-here", kWindow);
    QImage canvas;
    painter_.Paint(skin::PaintPlan{}, pictures, canvas);
    EXPECT_EQ(canvas.size(), kWindow);
    EXPECT_EQ(canvas.pixel(0, 0), kMissingPictureColor.rgb());
}

// The bounding box of the pixels whose colour is close to `ink`.
QRect InkBox(const QImage& image, QRgb ink) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int distance = qAbs(qRed(p) - qRed(ink)) + qAbs(qGreen(p) - qGreen(ink)) +
                                 qAbs(qBlue(p) - qBlue(ink));
            if (distance < 150) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

TEST_F(PlanPainterTest, TextsArePlacedByTheirMeasuredSizeInTheirColour) {
    struct Case {
        const char* name;
        skin::SkinFont font;
        std::string text;
        TextAlign align;
        skin::SkinColor color;
    };
    const Case cases[] = {
        {"English centred, white",
         skin::SkinFont::English,
         "Apply",
         TextAlign::Centred,
         {255, 255, 255}},
        {"English left, red",
         skin::SkinFont::English,
         "Left Button",
         TextAlign::LeftCentred,
         {255, 0, 0}},
        {"Chinese centred, white",
         skin::SkinFont::Chinese,
         "应用",
         TextAlign::Centred,
         {255, 255, 255}},
    };
    const SkinRect area{10, 20, 100, 40};
    for (const Case& c : cases) {
        SkinPictures pictures(folder_.path(), kWindow);
        skin::PaintPlan plan;
        plan.font = c.font;
        plan.ops = {TextOp{c.text, area, c.align, c.color}};
        QImage canvas;
        painter_.Paint(plan, pictures, canvas);

        const QSize size = painter_.MeasureText(c.font, QString::fromStdString(c.text));
        const skin::SkinPoint origin = skin::TextOrigin(area, c.align, size.width(), size.height());
        const QRect expected(origin.x, origin.y, size.width(), size.height());
        const QRect ink = InkBox(canvas, qRgb(c.color.r, c.color.g, c.color.b));
        ASSERT_FALSE(ink.isEmpty()) << c.name;
        // Glyphs may reach a pixel beyond their advance; the ink stays in the text's box.
        EXPECT_TRUE(expected.adjusted(-1, 0, 1, 0).contains(ink)) << c.name;
        EXPECT_LE(qAbs(ink.center().y() - expected.center().y()), 3) << c.name;
        EXPECT_LE(ink.left() - expected.left(), 3) << c.name;
    }
}

TEST_F(PlanPainterTest, FontsAreAskedForByTheirSkinNamesAndPixelSizes) {
    EXPECT_EQ(painter_.Font(skin::SkinFont::English).families().value(0), "Arial");
    EXPECT_EQ(painter_.Font(skin::SkinFont::English).pixelSize(), 14);
    EXPECT_EQ(painter_.Font(skin::SkinFont::Chinese).families().value(0),
              QString::fromUtf8("宋体"));
    EXPECT_EQ(painter_.Font(skin::SkinFont::Chinese).pixelSize(), 12);
}

TEST_F(PlanPainterTest, TextsFarOutsideTheWindowAreLeftOut) {
    SkinPictures pictures(folder_.path(), kWindow);
    skin::PaintPlan plan;
    plan.font = skin::SkinFont::English;
    plan.ops = {
        TextOp{"far", {INT32_MAX - 10, INT32_MAX - 10, 5, 5}, TextAlign::Centred, {255, 0, 0}},
        TextOp{"neg", {INT32_MIN, INT32_MIN, 5, 5}, TextAlign::LeftCentred, {255, 0, 0}},
    };
    QImage canvas;
    painter_.Paint(plan, pictures, canvas);
    EXPECT_TRUE(InkBox(canvas, qRgb(255, 0, 0)).isEmpty());
}

}  // namespace
}  // namespace trq::skinui
