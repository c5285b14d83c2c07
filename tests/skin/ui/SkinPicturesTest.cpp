#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "skin/ui/SkinPictures.h"

namespace trq::skinui {
namespace {

class SkinPicturesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    QString Path(const char* name) const { return QDir(folder_.path()).filePath(name); }

    void Save(const char* name, QSize size, QRgb colour, const char* format) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(Path(name), format)) << name;
    }

    QTemporaryDir folder_;
};

TEST_F(SkinPicturesTest, DecodesAJpegPictureIntoTheCopyFormat) {
    Save("main_normal.jpg", {40, 30}, qRgb(0, 0, 200), "JPG");
    SkinPictures pictures(folder_.path(), {40, 30});

    const QImage& picture = pictures.Picture("\\main_normal.jpg");
    EXPECT_EQ(picture.size(), QSize(40, 30));
    EXPECT_EQ(picture.format(), kPictureFormat);
    EXPECT_LE(qAbs(qBlue(picture.pixel(20, 15)) - 200), 3);  // JPEG may move a value slightly
    EXPECT_FALSE(pictures.IsMissing("\\main_normal.jpg"));
}

TEST_F(SkinPicturesTest, NameFormsReachTheSameFile) {
    Save("advanced menu_over.jpg", {8, 8}, qRgb(0, 0, 0), "JPG");
    for (const char* name :
         {"\\advanced menu_over.jpg", "/advanced menu_over.jpg", "advanced menu_over.jpg"}) {
        EXPECT_EQ(SkinPicturePath(folder_.path(), name), Path("advanced menu_over.jpg")) << name;
        EXPECT_FALSE(LoadSkinImage(folder_.path(), name).isNull()) << name;
    }
    EXPECT_EQ(SkinPicturePath(folder_.path(), "\\INI_EN\\x.jpg"), Path("INI_EN/x.jpg"));
}

TEST_F(SkinPicturesTest, MissingOrBrokenPicturesAreNeutralPicturesOfTheWindowSize) {
    QFile broken(Path("main_over.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();

    SkinPictures pictures(folder_.path(), {40, 30});
    for (const char* name : {"\\main_down.jpg", "\\main_over.jpg"}) {
        EXPECT_TRUE(LoadSkinImage(folder_.path(), name).isNull()) << name;
        const QImage& picture = pictures.Picture(name);
        EXPECT_EQ(picture.size(), QSize(40, 30)) << name;
        EXPECT_EQ(picture.format(), kPictureFormat) << name;
        EXPECT_EQ(picture.pixel(39, 29), kMissingPictureColor.rgb()) << name;
        EXPECT_TRUE(pictures.IsMissing(name)) << name;
    }
    EXPECT_FALSE(pictures.IsMissing("\\not_loaded_yet.jpg"));
}

TEST_F(SkinPicturesTest, PicturesOfAnotherSizeAreFittedToTheWindow) {
    Save("small.png", {10, 5}, qRgb(200, 0, 0), "PNG");
    Save("large.png", {90, 90}, qRgb(0, 200, 0), "PNG");
    SkinPictures pictures(folder_.path(), {40, 30});

    const QImage& small = pictures.Picture("small.png");
    ASSERT_EQ(small.size(), QSize(40, 30));
    EXPECT_EQ(small.pixel(9, 4), qRgb(200, 0, 0));
    EXPECT_EQ(small.pixel(10, 4), kMissingPictureColor.rgb());
    EXPECT_EQ(small.pixel(9, 5), kMissingPictureColor.rgb());

    const QImage& large = pictures.Picture("large.png");
    ASSERT_EQ(large.size(), QSize(40, 30));
    EXPECT_EQ(large.pixel(39, 29), qRgb(0, 200, 0));
}

TEST_F(SkinPicturesTest, KeepsEachPictureUntilReleased) {
    Save("color_normal_gray.png", {4, 4}, qRgb(100, 100, 100), "PNG");
    SkinPictures pictures(folder_.path(), {4, 4});
    const QImage* first = &pictures.Picture("color_normal_gray.png");

    // Decoded once: a change on disk does not show until the pictures are released.
    Save("color_normal_gray.png", {4, 4}, qRgb(1, 2, 3), "PNG");
    EXPECT_EQ(&pictures.Picture("color_normal_gray.png"), first);
    EXPECT_EQ(pictures.Picture("color_normal_gray.png").pixel(0, 0), qRgb(100, 100, 100));

    pictures.Release();
    EXPECT_EQ(pictures.Picture("color_normal_gray.png").pixel(0, 0), qRgb(1, 2, 3));
}

}  // namespace
}  // namespace trq::skinui
