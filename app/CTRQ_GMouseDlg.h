#pragma once

// The main window: a frameless window in the shape of the skin's mask, painted from the
// skin's pictures by the paint plan, with the tray icon beside it. It forwards pointer
// events to the skin's rules (hover, press, release) and carries out the actions they
// return on the resident core; driver events reach it queued on its own thread.

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QUrl>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/WindowHooks.h"
#include "base/FileResult.h"
#include "driver/DriverChange.h"
#include "skin/ClickDispatch.h"
#include "skin/HoverTracker.h"
#include "skin/Page.h"
#include "skin/PaintPlan.h"
#include "skin/SkinLayout.h"
#include "skin/ui/LedPreviewAnimation.h"
#include "skin/ui/PlanPainter.h"
#include "skin/ui/WindowShape.h"

namespace trq::base {
class Notifier;
}
namespace trq::skinui {
class SkinPictures;
}

namespace trq::platform {
class DriverSession;
}

namespace trq::app {

class DriverEvents;
class SkinPreload;
class TrayIcon;

// The address main item 19 opens.
inline constexpr char kWebLinkAddress[] = "https://example.com/trq-gmouse";

class CTRQ_GMouseDlg : public QWidget {
    Q_OBJECT

  public:
    // `session`, `events` and `notifier` must outlive the window.
    CTRQ_GMouseDlg(platform::DriverSession& session, DriverEvents& events, base::Notifier& notifier,
                   WindowHooks hooks = {}, QWidget* parent = nullptr);
    ~CTRQ_GMouseDlg() override;

    // The start-up sequence: workers, settings, title, skin layouts, fonts, shape, menus,
    // the mouse, apply, tray icon. True when the window is to be shown; false when the
    // program is to end (a missing layout file or mask, or no mouse: the user was told and
    // ExitDriver has run).
    bool OnInitDialog();
    // The same with the skin's preparation already under way (started by the caller as
    // early as it can, for the page shown first: Main).
    bool OnInitDialog(SkinPreload& preload);

    // Show the window and restore it, also from the tray or minimised (tray menu, tray
    // double-click, a second copy of the program).
    void ShowWindowCommand();
    // Hides the window to the tray; where the desktop has no tray it only minimises, since
    // a hidden window could not be brought back.
    void HideToTray();
    // Removes the tray icon, tells the mouse the program leaves, sets the pointer speed to
    // 10 and closes the window; then ended() is emitted. Runs once.
    void ExitDriver();
    void SwitchLanguage(std::uint8_t language);
    // A command of the tray or window menu.
    void HandleCommand(int id);

    // Where the web link goes (QDesktopServices by default; tests record instead).
    void SetUrlOpener(std::function<void(const QUrl&)> open) { openUrl_ = std::move(open); }

    // --- What tests and the benchmark look at ---
    skin::Page CurrentPage() const { return page_; }
    const skin::HoverState& Hover() const { return hover_; }
    const skin::SkinLayouts& Layouts() const { return layouts_; }
    bool LeftButtonHeld() const { return leftButtonHeld_; }
    bool Ended() const { return ended_; }
    bool PreviewRunning() const { return preview_.Running(); }
    const QRegion& WindowRegion() const { return windowRegion_; }
    TrayIcon& Tray() { return *tray_; }
    // The plan the next paint executes.
    skin::PaintPlan CurrentPlan() const;

  signals:
    void ended();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    skin::PaintState CurrentPaintState() const;
    // Draws the shown page's texts once on a scratch picture, so the glyphs are ready.
    void WarmUpTexts();
    void Repaint(skin::HoverRepaint what);

    bool LoadLayouts(std::uint8_t language);
    // Shapes the window from its mask's region; a missing mask ends the program.
    bool ShapeMainWindow(const std::optional<skinui::MaskShape>& shape);

    void Press(const skin::PressAction& action, QPointF globalPos);
    void Release(const skin::ReleaseAction& action);
    void GoToPage(skin::Page to);
    void StartDrag(QPointF globalPos);
    void EditSettings(const skin::PressAction& action);
    void SaveProfile();
    void Apply();
    void PickProfile(int profile);
    void HideDroppingChanges();
    void ResetToDefaults();
    void ToggleLoopWhileHeld();
    void Minimise();
    void ShowWindowMenu(QPoint globalPos);
    void ShowAbout();

    void OnDriverChanged(const driver::DriverChange& change);
    void SyncPreviewInputs();
    void UpdatePreviewRunning();
    void Report(const base::FileResult& result);

    platform::DriverSession& session_;
    base::Notifier& notifier_;
    WindowHooks hooks_;
    std::function<void(const QUrl&)> openUrl_;

    skin::SkinLayouts layouts_;
    std::unique_ptr<skinui::SkinPictures> pictures_;
    QRegion windowRegion_;
    QRegion hoverRegion_;
    skinui::PlanPainter painter_;
    QImage canvas_;

    skin::Page page_ = skin::Page::Main;
    skin::HoverState hover_;
    bool leftButtonHeld_ = false;

    // Moving the window by hand where the window manager cannot move it.
    bool draggingByHand_ = false;
    QPoint dragOffset_;

    // What the LED preview thread reads.
    std::atomic<bool> previewPageShown_{false};
    std::atomic<int> previewDpiLevel_{0};
    std::atomic<int> previewLedMode_{0};
    skinui::LedPreviewAnimation preview_;

    std::unique_ptr<TrayIcon> tray_;
    bool ended_ = false;
};

}  // namespace trq::app
