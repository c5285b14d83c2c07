#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "skin/ui/CTrqMenu.h"

namespace trq::skinui {
namespace {

QRgb Rgb(skin::MenuRgb c) {
    return qRgb(c.r, c.g, c.b);
}

bool IsWhitish(QRgb p) {
    return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200;
}

// White text pixels inside [left, right) x [top, bottom) of the image.
int WhitePixels(const QImage& image, int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x)
            count += IsWhitish(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

// A font small enough for every text here to fit 8 pixels per character, so the menus keep
// their measured widths.
QFont SmallFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(10);
    return font;
}

// The tray menu of the English skin, laid out and painted off-screen.
class TrayMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        menu_.reset(BuildTrqMenu({{"Show Window", 32801}, {"", 0}, {"Exit Driver", 32800}}));
        menu_->setFont(SmallFont());
        actions_ = menu_->actions();
        ASSERT_EQ(actions_.size(), 3);
        menu_->resize(menu_->sizeHint());
    }

    QImage Paint() { return menu_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    std::unique_ptr<CTrqMenu> menu_;
    QList<QAction*> actions_;
};

TEST_F(TrayMenuTest, EntriesAreTwentyHighSeparatorOneAndAllAsWideAsTheWidest) {
    EXPECT_EQ(menu_->sizeHint(), QSize(88, 41));  // "Show Window": 11 characters x 8
    EXPECT_EQ(menu_->actionGeometry(actions_[0]), QRect(0, 0, 88, 20));
    EXPECT_EQ(menu_->actionGeometry(actions_[1]), QRect(0, 20, 88, 1));
    EXPECT_EQ(menu_->actionGeometry(actions_[2]), QRect(0, 21, 88, 20));
}

TEST_F(TrayMenuTest, SelectedEntryHasAFramedGradientAndTheOthersTheTealFill) {
    menu_->setActiveAction(actions_[2]);
    const QImage image = Paint();
    ASSERT_EQ(image.size(), QSize(88, 41));

    // "Show Window", not selected: teal wherever the text is not.
    EXPECT_EQ(image.pixel(2, 2), Rgb(skin::kMenuFillColor));
    EXPECT_EQ(image.pixel(87, 19), Rgb(skin::kMenuFillColor));

    // "Exit Driver", selected: a black frame on rows 21 and 40 and columns 0 and 87, and
    // one gradient colour per inner row 22..39.
    for (const QPoint p : {QPoint(0, 21), QPoint(87, 21), QPoint(40, 21), QPoint(0, 30),
                           QPoint(87, 30), QPoint(0, 40), QPoint(87, 40), QPoint(40, 40)}) {
        EXPECT_EQ(image.pixel(p), Rgb(skin::kMenuFrameColor)) << p.x() << "," << p.y();
    }
    const std::vector<skin::MenuRgb> rows = skin::MenuGradientRows(18);
    for (int row = 0; row < 18; ++row) {
        for (const int x : {1, 5, 86}) {
            EXPECT_EQ(image.pixel(x, 22 + row), Rgb(rows[static_cast<std::size_t>(row)]))
                << "row " << row << " x " << x;
        }
    }
    EXPECT_EQ(image.pixel(1, 22), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1, 39), qRgb(0, 238, 255));
}

TEST_F(TrayMenuTest, SeparatorLineStartsTwentyFivePixelsInAndShowsBlue) {
    const QImage image = Paint();
    for (int x = 0; x < 25; ++x) {
        EXPECT_EQ(image.pixel(x, 20), Rgb(skin::kMenuFillColor)) << x;
    }
    for (int x = 25; x < 88; ++x) {
        EXPECT_EQ(image.pixel(x, 20), Rgb(skin::kSeparatorBottomRight)) << x;
    }
}

TEST_F(TrayMenuTest, TextIsWhiteFromTenPixelsInAndVerticallyCentred) {
    menu_->setActiveAction(actions_[0]);
    const QImage image = Paint();
    for (const int top : {0, 21}) {  // selected and not
        EXPECT_EQ(WhitePixels(image, 0, top, 10, top + 20), 0) << top;
        EXPECT_GT(WhitePixels(image, 10, top, 88, top + 20), 20) << top;
        // Centred: ink in the middle rows, none on the top and bottom rows.
        EXPECT_GT(WhitePixels(image, 10, top + 8, 88, top + 12), 0) << top;
        EXPECT_EQ(WhitePixels(image, 10, top, 88, top + 2), 0) << top;
        EXPECT_EQ(WhitePixels(image, 10, top + 18, 88, top + 20), 0) << top;
    }
}

TEST(CTrqMenu, DrawsATallerEntryWithItsOwnGradient) {
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawMenuEntry(painter, QRect(0, 0, 60, 30), {"", 5}, true);
    painter.end();
    const std::vector<skin::MenuRgb> rows = skin::MenuGradientRows(28);  // step 9
    EXPECT_EQ(image.pixel(30, 1), Rgb(rows.front()));
    EXPECT_EQ(image.pixel(30, 28), Rgb(rows.back()));
    EXPECT_EQ(image.pixel(30, 28), qRgb(0, 243, 255));
}

TEST(CTrqMenu, ChineseTrayMenuKeepsItsTextsAndIds) {
    std::unique_ptr<CTrqMenu> menu(BuildTrqMenu({{"显示窗口   ", 32837}, {"关闭驱动", 32838}}));
    menu->setFont(SmallFont());
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(CTrqMenu::EntryOf(*actions[0]), (skin::MenuEntry{"显示窗口   ", 32837}));
    EXPECT_EQ(CTrqMenu::EntryOf(*actions[1]), (skin::MenuEntry{"关闭驱动", 32838}));
    EXPECT_EQ(menu->sizeHint(), QSize(56, 40));
}

TEST(CTrqMenu, TextsAreShownLiterallyWithAmpersands) {
    std::unique_ptr<CTrqMenu> menu(BuildTrqMenu({{"Save & Exit", 7}, {"&&", 8}}));
    menu->setFont(SmallFont());
    const QList<QAction*> actions = menu->actions();
    EXPECT_EQ(CTrqMenu::EntryOf(*actions[0]).text, "Save & Exit");
    EXPECT_EQ(CTrqMenu::EntryOf(*actions[1]).text, "&&");
    EXPECT_EQ(menu->sizeHint().width(), 88);  // 11 characters, the '&' counted once
}

TEST(CTrqMenu, WidensRatherThanCutATextLongerThanItsMeasure) {
    std::unique_ptr<CTrqMenu> menu(BuildTrqMenu({{"关闭驱动", 32838}}));
    QFont large(QStringLiteral("Arial"));
    large.setPixelSize(24);
    menu->setFont(large);
    const int advance = QFontMetrics(large).horizontalAdvance(QString::fromUtf8("关闭驱动"));
    ASSERT_GT(skin::kMenuTextLeft + advance, 32);
    EXPECT_GE(menu->sizeHint().width(), skin::kMenuTextLeft + advance);
    EXPECT_EQ(menu->sizeHint().height(), 20);
}

TEST(CTrqMenu, TheTopMenuReportsCommandsFromEverySubmenu) {
    const std::vector<MenuNode> nodes{
        {{"Add Forward", skin::kMenuSubmenuId},
         {{{"Left Button", skin::kMenuSubmenuId}, {{{"Down ", 32802}}, {{"Up", 32803}}}}}},
        {{"", skin::kMenuSeparatorId}},
        {{"Delete", 32781}},
    };
    std::unique_ptr<CTrqMenu> menu(BuildTrqMenu(nodes));
    std::vector<int> chosen;
    QObject::connect(menu.get(), &CTrqMenu::commandChosen,
                     [&chosen](int id) { chosen.push_back(id); });

    const QList<QAction*> top = menu->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(CTrqMenu::EntryOf(*top[0]), (skin::MenuEntry{"Add Forward", -1}));
    EXPECT_EQ(CTrqMenu::EntryOf(*top[1]).id, 0);
    EXPECT_EQ(menu->actionGeometry(top[1]).height(), 1) << "separators are not collapsed";

    QMenu* forward = top[0]->menu();
    ASSERT_NE(forward, nullptr);
    QMenu* left = forward->actions().at(0)->menu();
    ASSERT_NE(left, nullptr);
    ASSERT_EQ(left->actions().size(), 2);
    EXPECT_EQ(CTrqMenu::EntryOf(*left->actions()[0]).text, "Down ");

    left->actions()[1]->trigger();
    top[2]->trigger();
    EXPECT_EQ(chosen, (std::vector<int>{32803, 32781}));
}

}  // namespace
}  // namespace trq::skinui
