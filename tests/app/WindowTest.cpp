// The real window on the off-screen platform, with the virtual mouse, the shipped data files
// and the built skin in a scratch folder: start-up, what the pixels show, what clicks do.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/CTRQ_GMouseDlg.h"
#include "app/DriverEvents.h"
#include "app/TrayIcon.h"
#include "app/WindowCommands.h"
#include "app/WindowSession.h"
#include "device/VirtualMouse.h"
#include "settings/SettingsFile.h"
#include "skin/SkinIndexMap.h"
#include "skin/ui/CTrqMenu.h"
#include "skin/ui/SkinPictures.h"
#include "tests/support/TempDir.h"

namespace trq::app {
namespace {

namespace fs = std::filesystem;
namespace mi = skin::mainitem;

class RecordingNotifier final : public base::Notifier {
  public:
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QTest::qWait(10);
    }
    return true;
}

int Distance(QRgb a, QRgb b) {
    return std::max(
        {qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
}

// A home folder like the installed one: the shipped data files and the built skin.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home_ = dir_ / "home";
        fs::copy(TRQ_SHIPPED_DIR, home_, fs::copy_options::recursive);
        fs::copy(TRQ_SKIN_PICTURE_DIR, home_ / "skins", fs::copy_options::recursive);
        fs::copy(TRQ_SKIN_SOURCE_DIR, home_ / "skins",
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }

    void TearDown() override {
        window_.reset();
        session_.reset();
    }

    // Makes the session and the window; Start() then runs the start-up.
    void Make() {
        AppOptions options;
        options.home = home_;
        options.virtualMouse = true;
        std::string error;
        session_ = OpenWindowSession(options, notifier_, events_, error);
        ASSERT_TRUE(session_) << error;
        window_ = std::make_unique<CTRQ_GMouseDlg>(*session_, events_, notifier_);
        window_->SetUrlOpener([this](const QUrl& url) { opened_.push_back(url.toString()); });
    }

    void Start() {
        Make();
        ASSERT_TRUE(window_->OnInitDialog()) << Messages();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    std::string Messages() const {
        std::string all;
        for (const std::string& m : notifier_.messages)
            all += m + "; ";
        return all;
    }

    device::VirtualMouse& Mouse() { return *session_->Virtual(); }
    std::size_t Reports() { return Mouse().FeatureReports().size(); }

    QPoint Centre(const skin::SkinRect& r) const { return {r.x + r.width / 2, r.y + r.height / 2}; }
    QPoint MainCentre(int item) const { return Centre(window_->Layouts().main.areas[item]); }
    QPoint ColorCentre(int item) const { return Centre(window_->Layouts().color.areas[item]); }

    // A point of the window on no item of any layout.
    QPoint Nowhere() const {
        const skin::SkinLayouts& l = window_->Layouts();
        for (int y = 2; y < window_->height(); y += 3) {
            for (int x = 2; x < window_->width(); x += 3) {
                const skin::SkinPoint p{x, y};
                if (skin::HitTestLayout(p, l.main, 123) == skin::kNoItem &&
                    skin::HitTestLayout(p, l.advanced, 51) == skin::kNoItem &&
                    skin::HitTestLayout(p, l.color, 12) == skin::kNoItem &&
                    window_->WindowRegion().contains(QPoint(x, y))) {
                    return {x, y};
                }
            }
        }
        ADD_FAILURE() << "no free point";
        return {};
    }

    void MoveTo(QPoint p) { QTest::mouseMove(window_.get(), p); }
    void Click(QPoint p) {
        MoveTo(p);
        QTest::mousePress(window_.get(), Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseRelease(window_.get(), Qt::LeftButton, Qt::NoModifier, p);
    }
    void ClickMain(int item) { Click(MainCentre(item)); }

    QImage Grab() { return window_->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QImage Picture(const char* name) {
        return skinui::LoadSkinImage(QString::fromStdString((home_ / "skins").string()), name);
    }

    // A pixel of `area` near its edges (away from a centred text) where pictures `a` and `b`
    // clearly differ, so a grabbed pixel tells which of them was drawn there.
    QPoint TellingPixel(const skin::SkinRect& area, const QImage& a, const QImage& b) {
        for (int dy = 1; dy < std::min(area.height, 5); ++dy) {
            for (int x = area.x + 1; x < area.x + area.width - 1; ++x) {
                const QPoint p(x, area.y + dy);
                if (Distance(a.pixel(p), b.pixel(p)) > 40) return p;
            }
        }
        ADD_FAILURE() << "the pictures look alike at " << area.x << "," << area.y;
        return {};
    }

    settings::DeviceSettings FileProfile(int profile) {
        settings::DeviceSettings s;
        EXPECT_TRUE(settings::LoadProfile(home_ / "config.ini", profile, false, 1, s).ok());
        return s;
    }

    test::TempDir dir_;
    fs::path home_;
    RecordingNotifier notifier_;
    DriverEvents events_;
    std::unique_ptr<platform::DriverSession> session_;
    std::unique_ptr<CTRQ_GMouseDlg> window_;
    std::vector<QString> opened_;
};

TEST_F(WindowTest, StartUpAppliesTheProfileAndShapesTheWindowFromTheMask) {
    Start();
    EXPECT_TRUE(notifier_.messages.empty()) << Messages();
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("ZQ-K770 GAMING MOUSE"));
    const QImage mask = Picture("main_mask.jpg");
    EXPECT_EQ(window_->size(), mask.size());
    EXPECT_FALSE(window_->WindowRegion().contains(QPoint(0, 0)));  // the cut-away corner
    EXPECT_TRUE(window_->WindowRegion().contains(MainCentre(mi::kApply)));
    EXPECT_EQ(Reports(), 14u);
    EXPECT_EQ(settings::ReadCurrentProfile(home_ / "config.ini"), 1);
    // English, as the shipped settings say.
    ASSERT_NE(window_->Tray().Menu(), nullptr);
    const auto actions = window_->Tray().Menu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(skinui::CTrqMenu::EntryOf(*actions[0]), (skin::MenuEntry{"Show Window", 32801}));
    EXPECT_EQ(skinui::CTrqMenu::EntryOf(*actions[1]), (skin::MenuEntry{"Exit Driver", 32800}));
}

TEST_F(WindowTest, WithoutTheMouseItSaysSoInTheLanguageAndEndsWithoutWritingAnything) {
    struct Case {
        std::uint8_t language;
        std::string message;
    };
    for (const Case& c :
         {Case{1, "Please plug-in【ZQ-K770】USB Mouse"}, Case{0, "请插入【ZQ-K770】USB鼠标"}}) {
        ASSERT_TRUE(settings::WriteLanguage(home_ / "config.ini", c.language).ok());
        const std::string before = test::ReadBytes(home_ / "config.ini");
        notifier_.messages.clear();
        Make();
        Mouse().Unplug();
        EXPECT_FALSE(window_->OnInitDialog());
        EXPECT_EQ(notifier_.messages, std::vector<std::string>{c.message});
        EXPECT_TRUE(window_->Ended());
        EXPECT_EQ(test::ReadBytes(home_ / "config.ini"), before);
        window_.reset();
        session_.reset();
    }
}

TEST_F(WindowTest, AMissingLayoutFileIsNamedAndEndsTheProgramBeforeTheMouseIsUsed) {
    fs::remove(home_ / "skins" / "INI_EN" / "skin_color_en.ini");
    const std::string before = test::ReadBytes(home_ / "config.ini");
    Make();
    EXPECT_FALSE(window_->OnInitDialog());
    ASSERT_EQ(notifier_.messages.size(), 1u);
    EXPECT_EQ(notifier_.messages[0].rfind("找不到配置文件", 0), 0u);
    EXPECT_NE(notifier_.messages[0].find("skin_color_en.ini"), std::string::npos);
    EXPECT_TRUE(window_->Ended());
    EXPECT_EQ(test::ReadBytes(home_ / "config.ini"), before);
    for (const auto& report : Mouse().FeatureReports()) {
        EXPECT_NE(report[1], 0x10) << "a button map was sent";
    }
}

TEST_F(WindowTest, PixelsShowHoverPressAndTheShownTab) {
    Start();
    const QImage normal = Picture("main_normal.jpg");
    const QImage over = Picture("main_over.jpg");
    const QImage down = Picture("main_down.jpg");
    const skin::SkinRect apply = window_->Layouts().main.areas[mi::kApply];
    const QPoint p = TellingPixel(apply, over, down);

    MoveTo(Nowhere());
    EXPECT_LE(Distance(Grab().pixel(p), normal.pixel(p)), 8);
    MoveTo(MainCentre(mi::kApply));
    EXPECT_LE(Distance(Grab().pixel(p), over.pixel(p)), 8);
    QTest::mousePress(window_.get(), Qt::LeftButton, Qt::NoModifier, MainCentre(mi::kApply));
    EXPECT_TRUE(window_->LeftButtonHeld());
    EXPECT_LE(Distance(Grab().pixel(p), down.pixel(p)), 8);
    QTest::mouseRelease(window_.get(), Qt::LeftButton, Qt::NoModifier, MainCentre(mi::kApply));
    EXPECT_FALSE(window_->LeftButtonHeld());
    EXPECT_LE(Distance(Grab().pixel(p), over.pixel(p)), 8);

    // The shown page's tab and the current profile look pressed while the pointer is away.
    MoveTo(Nowhere());
    const QImage shot = Grab();
    for (const int item : {mi::kTabMain, mi::Profile(1), mi::kEnglish}) {
        const QPoint q = TellingPixel(window_->Layouts().main.areas[item], normal, down);
        EXPECT_LE(Distance(shot.pixel(q), down.pixel(q)), 8) << "item " << item;
    }
    const QPoint other =
        TellingPixel(window_->Layouts().main.areas[mi::kTabAdvanced], normal, down);
    EXPECT_LE(Distance(shot.pixel(other), normal.pixel(other)), 8);
}

TEST_F(WindowTest, PixelsShowTheDpiBarsAndTheTexts) {
    Start();
    MoveTo(Nowhere());
    const settings::DeviceSettings s = session_->Driver().Settings();
    const QImage shot = Grab();
    for (int level = 0; level < 4; ++level) {
        const QColor colour(skin::kDpiBarColors[level].r, skin::kDpiBarColors[level].g,
                            skin::kDpiBarColors[level].b);
        for (int segment = 0; segment < 12; ++segment) {
            const skin::SkinRect bar = window_->Layouts().main.areas[mi::DpiBar(level, segment)];
            const QPoint inside(bar.x + bar.width / 2, bar.y + bar.height / 2);
            const bool filled = segment <= s.dpiSet[static_cast<std::size_t>(level)];
            EXPECT_EQ(shot.pixel(inside) == colour.rgb(), filled)
                << "level " << level << " segment " << segment;
        }
    }

    // The Apply button's text is drawn white over the picture, which has none of it.
    const QImage normal = Picture("main_normal.jpg");
    const skin::SkinRect apply = window_->Layouts().main.areas[mi::kApply];
    const auto whiteIn = [&apply](const QImage& image) {
        int count = 0;
        for (int y = apply.y; y < apply.y + apply.height; ++y) {
            for (int x = apply.x; x < apply.x + apply.width; ++x) {
                if (qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) > 200 &&
                    qBlue(image.pixel(x, y)) > 200) {
                    ++count;
                }
            }
        }
        return count;
    };
    EXPECT_GT(whiteIn(shot), whiteIn(normal) + 10);

    // A hovered button slot writes its function's name in red.
    MoveTo(MainCentre(mi::Slot(0)));
    const QImage hovered = Grab();
    const skin::SkinRect slot = window_->Layouts().main.areas[mi::Slot(0)];
    int red = 0;
    for (int y = slot.y; y < slot.y + slot.height; ++y) {
        for (int x = slot.x; x < slot.x + slot.width; ++x) {
            const QRgb c = hovered.pixel(x, y);
            if (qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90) ++red;
        }
    }
    EXPECT_GT(red, 10);
}

TEST_F(WindowTest, PickingAProfileSendsNothingUntilApply) {
    Start();
    ClickMain(mi::Profile(2));
    EXPECT_EQ(session_->Driver().CurrentProfile(), 2);
    EXPECT_EQ(session_->Driver().Settings(), FileProfile(2));
    EXPECT_EQ(Reports(), 14u);
    EXPECT_EQ(settings::ReadCurrentProfile(home_ / "config.ini"), 1);

    // The release acts where it happens: a press on Apply released elsewhere applies nothing.
    QTest::mousePress(window_.get(), Qt::LeftButton, Qt::NoModifier, MainCentre(mi::kApply));
    MoveTo(Nowhere());
    QTest::mouseRelease(window_.get(), Qt::LeftButton, Qt::NoModifier, Nowhere());
    EXPECT_EQ(Reports(), 14u);
    // ... and a press elsewhere (the profiles' caption, which does nothing) released on Apply
    // applies.
    MoveTo(MainCentre(1));
    QTest::mousePress(window_.get(), Qt::LeftButton, Qt::NoModifier, MainCentre(1));
    MoveTo(MainCentre(mi::kApply));
    QTest::mouseRelease(window_.get(), Qt::LeftButton, Qt::NoModifier, MainCentre(mi::kApply));
    EXPECT_EQ(Reports(), 28u);
    EXPECT_EQ(settings::ReadCurrentProfile(home_ / "config.ini"), 2);
    EXPECT_EQ(FileProfile(settings::kAppliedProfile), FileProfile(2));
}

TEST_F(WindowTest, EditsStayInMemoryUntilSave) {
    Start();
    ClickMain(mi::DpiBar(0, 5));
    ClickMain(mi::DpiSelector(2));
    ClickMain(mi::kWheelStatus1);
    settings::DeviceSettings edited = session_->Driver().Settings();
    EXPECT_EQ(edited.dpiSet[0], 5);
    EXPECT_EQ(edited.dpiLevel, 2);
    EXPECT_EQ(edited.wheelStatus, 1);
    EXPECT_NE(FileProfile(1), edited);
    ClickMain(mi::kSave);
    EXPECT_EQ(FileProfile(1), edited);
    EXPECT_EQ(Reports(), 14u);  // saving sends nothing
}

TEST_F(WindowTest, HidingWithCancelDropsEditsButKeepsTheDpiLevel) {
    Start();
    const settings::DeviceSettings applied = FileProfile(settings::kAppliedProfile);
    ClickMain(mi::DpiBar(1, 0));
    ClickMain(mi::DpiSelector(3));
    ClickMain(mi::kHide);
    settings::DeviceSettings expected = applied;
    expected.dpiLevel = 3;
    EXPECT_EQ(session_->Driver().Settings(), expected);
    EXPECT_EQ(FileProfile(settings::kAppliedProfile).dpiLevel, 3);
    // No tray on this platform: the window is minimised rather than lost.
    EXPECT_TRUE(window_->isMinimized());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(window_->Hover().mainHover, skin::kNoItem);
}

TEST_F(WindowTest, TabsChangePagesAndTheLedPreviewRunsOnlyOnTheColorPage) {
    Start();
    ClickMain(mi::kTabAdvanced);
    EXPECT_EQ(window_->CurrentPage(), skin::Page::Advanced);
    EXPECT_FALSE(window_->PreviewRunning());
    ClickMain(mi::kTabColor);
    EXPECT_EQ(window_->CurrentPage(), skin::Page::Color);
    EXPECT_TRUE(window_->PreviewRunning());
    ClickMain(mi::kTabMain);
    EXPECT_EQ(window_->CurrentPage(), skin::Page::Main);
    EXPECT_FALSE(window_->PreviewRunning());

    ClickMain(mi::kTabColor);
    EXPECT_TRUE(window_->PreviewRunning());
    window_->showMinimized();
    EXPECT_TRUE(WaitFor([this] { return !window_->PreviewRunning(); }));
    window_->ShowWindowCommand();
    EXPECT_TRUE(WaitFor([this] { return window_->PreviewRunning(); }));

    // An LED mode click is an edit in memory.
    Click(ColorCentre(skin::coloritem::kFirstLedMode + 2));
    EXPECT_EQ(session_->Driver().Settings().ledStatus, 2);
}

TEST_F(WindowTest, AdvancedPageEditsSpeedsFireTimeAndLoopWhileHeld) {
    namespace ai = skin::advanceditem;
    Start();
    ClickMain(mi::kTabAdvanced);
    const auto clickAdvanced = [this](int item, int dx = 0) {
        const skin::SkinRect r = window_->Layouts().advanced.areas[item];
        Click(QPoint(r.x + r.width / 2 + dx, r.y + r.height / 2));
    };
    clickAdvanced(ai::PointerSpeed(7));
    clickAdvanced(ai::WheelSpeed(0));
    const skin::SkinRect track = window_->Layouts().advanced.areas[ai::kFireTrack];
    clickAdvanced(ai::kFireTrack, -track.width / 2 + track.width / 4);  // a quarter in
    settings::DeviceSettings s = session_->Driver().Settings();
    EXPECT_EQ(s.dpiSpeed, 7);
    EXPECT_EQ(s.wheelSpeed, 0);
    EXPECT_EQ(s.fireTime, (track.width / 4) * 300 / track.width);
    const int fire = s.fireTime;
    clickAdvanced(ai::kFireUp);
    EXPECT_EQ(session_->Driver().Settings().fireTime, fire + 1);
    clickAdvanced(ai::kFireDown);
    clickAdvanced(ai::kFireDown);
    EXPECT_EQ(session_->Driver().Settings().fireTime, fire - 1);

    // Looping while held and a repeat count never both hold for the selected macro.
    macros::UserMacroTable table = session_->Driver().UserMacros();
    ASSERT_GT(table.macroCount, 0);
    table.records[static_cast<std::size_t>(table.currentMacro)].repeatMode = 1;
    session_->Driver().SetUserMacros(table);
    session_->Driver().EditSettings([](settings::DeviceSettings& d) { d.macroMode2 = 0; });
    clickAdvanced(ai::kLoopWhileHeld);
    EXPECT_EQ(session_->Driver().Settings().macroMode2, 1);
    const auto after = session_->Driver().UserMacros();
    EXPECT_EQ(after.records[static_cast<std::size_t>(after.currentMacro)].repeatMode, 0);
    clickAdvanced(ai::kLoopWhileHeld);
    EXPECT_EQ(session_->Driver().Settings().macroMode2, 0);
    EXPECT_EQ(Reports(), 14u);  // all in memory
}

TEST_F(WindowTest, LanguageSwitchReloadsLayoutsAndMenusAndKeepsTheSettings) {
    Start();
    ClickMain(mi::DpiBar(2, 1));
    const settings::DeviceSettings edited = session_->Driver().Settings();
    const std::string englishTab = window_->Layouts().main.texts[mi::kTabMain];

    ClickMain(mi::kChinese);
    EXPECT_EQ(session_->Driver().Language(), 0);
    EXPECT_EQ(settings::ReadLanguage(home_ / "config.ini"), 0);
    EXPECT_NE(window_->Layouts().main.texts[mi::kTabMain], englishTab);
    EXPECT_EQ(session_->Driver().Settings(), edited);
    const auto actions = window_->Tray().Menu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(skinui::CTrqMenu::EntryOf(*actions[0]), (skin::MenuEntry{"显示窗口   ", 32837}));
    EXPECT_EQ(skinui::CTrqMenu::EntryOf(*actions[1]), (skin::MenuEntry{"关闭驱动", 32838}));
    EXPECT_EQ(window_->CurrentPlan().font, skin::SkinFont::Chinese);

    ClickMain(mi::kEnglish);
    EXPECT_EQ(settings::ReadLanguage(home_ / "config.ini"), 1);
    EXPECT_EQ(window_->Layouts().main.texts[mi::kTabMain], englishTab);
    EXPECT_TRUE(notifier_.messages.empty()) << Messages();
}

TEST_F(WindowTest, EscapeEnterAndCloseNeverEndTheProgram) {
    Start();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(window_.get(), key);
        EXPECT_TRUE(window_->isVisible());
        EXPECT_FALSE(window_->isMinimized());
    }
    window_->close();
    EXPECT_FALSE(window_->Ended());
    EXPECT_TRUE(window_->isMinimized());  // no tray here: minimised instead of hidden
    window_->HandleCommand(kShowWindowChinese);
    EXPECT_FALSE(window_->isMinimized());
    window_->HandleCommand(kMinimiseCommand);
    EXPECT_TRUE(window_->isMinimized());
    window_->HandleCommand(kShowWindowEnglish);
    EXPECT_FALSE(window_->isMinimized());
    EXPECT_EQ(Reports(), 14u);
}

TEST_F(WindowTest, TheWindowMenuOpensTheAboutBox) {
    Start();
    QString title;
    QString texts;
    QTimer::singleShot(0, [&title, &texts] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) return;
        title = box->windowTitle();
        for (const QLabel* label : box->findChildren<QLabel*>())
            texts += label->text() + "\n";
        box->close();
    });
    window_->HandleCommand(kAboutCommand);
    EXPECT_EQ(title, QStringLiteral("About TRQ_GMouse"));
    EXPECT_TRUE(texts.contains(QStringLiteral("TRQ_GMouse Version 1.0"))) << texts.toStdString();
}

TEST_F(WindowTest, ExitDriverFromTheTrayMenuClosesTheMouseAndRestoresThePointerSpeed) {
    for (const int command : {kExitDriverEnglish, kExitDriverChinese}) {
        Start();
        QSignalSpy ended(window_.get(), &CTRQ_GMouseDlg::ended);
        window_->HandleCommand(command);
        EXPECT_EQ(ended.count(), 1);
        EXPECT_TRUE(window_->Ended());
        EXPECT_FALSE(window_->isVisible());
        EXPECT_FALSE(window_->Tray().Shown());
        const auto reports = Mouse().FeatureReports();
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back(), (std::vector<std::uint8_t>{7, 0x20, 0, 0, 0, 0, 0, 0}));
        auto& desktop = dynamic_cast<settings::RecordingDesktopSettings&>(session_->Desktop());
        EXPECT_EQ(desktop.pointerSets().back(), 10);
        // Once only.
        window_->HandleCommand(command);
        EXPECT_EQ(ended.count(), 1);
        window_.reset();
        session_.reset();
    }
}

TEST_F(WindowTest, UnpluggingTheMouseEndsTheProgramFromItsOwnThread) {
    Start();
    QSignalSpy ended(window_.get(), &CTRQ_GMouseDlg::ended);
    Mouse().Unplug();
    EXPECT_TRUE(WaitFor([&ended] { return ended.count() == 1; }));
    EXPECT_FALSE(window_->Tray().Shown());
    auto& desktop = dynamic_cast<settings::RecordingDesktopSettings&>(session_->Desktop());
    EXPECT_EQ(desktop.pointerSets().back(), 10);
}

TEST_F(WindowTest, AMouseDpiSwitchReachesThePaintThroughTheWindowThread) {
    Start();
    // K6 (hardware button 6) steps the DPI level down; go to level 2 first.
    ClickMain(mi::DpiSelector(2));
    ClickMain(mi::kApply);
    ASSERT_EQ(session_->Driver().Settings().dpiLevel, 2);
    Mouse().Press(6);
    Mouse().Release(6);
    EXPECT_TRUE(WaitFor([this] { return session_->Driver().Settings().dpiLevel == 1; }));
    const auto drawsSelector = [this](int level) {
        const skin::SkinRect area = window_->Layouts().main.areas[mi::DpiSelector(level)];
        for (const skin::PaintOp& op : window_->CurrentPlan().ops) {
            const auto* copy = std::get_if<skin::CopyOp>(&op);
            if (copy && copy->from == skin::Picture::Down && copy->area == area) return true;
        }
        return false;
    };
    EXPECT_TRUE(drawsSelector(1));
    EXPECT_FALSE(drawsSelector(2));
}

TEST_F(WindowTest, ResetRebuildsTheProfilesAndApplies) {
    Start();
    ClickMain(mi::DpiBar(0, 11));
    const int macroMode2 = session_->Driver().Settings().macroMode2;
    ClickMain(mi::kReset);
    EXPECT_EQ(session_->Driver().Settings(), settings::DefaultSettings(macroMode2));
    EXPECT_EQ(FileProfile(1), settings::DefaultSettings(macroMode2));
    EXPECT_EQ(Reports(), 28u);
}

TEST_F(WindowTest, TheWebLinkOpensThePlaceholderAddress) {
    Start();
    ClickMain(mi::kWebLink);
    EXPECT_EQ(opened_, std::vector<QString>{QStringLiteral("https://example.com/trq-gmouse")});
}

TEST_F(WindowTest, APressOnNoItemMovesTheWindow) {
    Start();
    const QPoint before = window_->pos();
    const QPoint from = Nowhere();
    MoveTo(from);
    QTest::mousePress(window_.get(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(window_.get(), from + QPoint(30, 20));
    QTest::mouseRelease(window_.get(), Qt::LeftButton, Qt::NoModifier, from + QPoint(30, 20));
    EXPECT_EQ(window_->pos(), before + QPoint(30, 20));
}

}  // namespace
}  // namespace trq::app
