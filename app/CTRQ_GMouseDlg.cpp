#include "app/CTRQ_GMouseDlg.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <chrono>
#include <optional>
#include <thread>

#include "app/AppIcon.h"
#include "app/CAboutDlg.h"
#include "app/DriverEvents.h"
#include "app/SkinPreload.h"
#include "app/TrayIcon.h"
#include "app/WindowCommands.h"
#include "base/Messages.h"
#include "platform/DriverSession.h"
#include "settings/SettingsFile.h"
#include "skin/SkinIndexMap.h"
#include "skin/SkinLayoutFile.h"
#include "skin/ui/CTrqMenu.h"
#include "skin/ui/SkinPictures.h"
#include "skin/ui/WindowShape.h"

namespace trq::app {
namespace {

constexpr char kMaskPicture[] = "main_mask.jpg";

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

skin::SkinPoint ToSkin(QPointF p) {
    const QPoint q = p.toPoint();
    return {q.x(), q.y()};
}

}  // namespace

CTRQ_GMouseDlg::CTRQ_GMouseDlg(platform::DriverSession& session, DriverEvents& events,
                               base::Notifier& notifier, WindowHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      session_(session),
      notifier_(notifier),
      hooks_(std::move(hooks)),
      openUrl_([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      preview_(
          [this] {
              return skinui::LedPreviewInputs{previewPageShown_.load(), previewLedMode_.load(),
                                              previewDpiLevel_.load()};
          },
          [this] {
              // The preview changes its own area only.
              QMetaObject::invokeMethod(
                  this,
                  [this] {
                      const skin::SkinRect r = layouts_.color.areas[skin::coloritem::kPreview];
                      update(r.x, r.y, r.width, r.height);
                  },
                  Qt::QueuedConnection);
          }),
      tray_(std::make_unique<TrayIcon>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    connect(&events, &DriverEvents::changed, this, &CTRQ_GMouseDlg::OnDriverChanged);
    connect(&events, &DriverEvents::problem, this,
            [this](const QString& text) { notifier_.ShowMessage(text.toStdString()); });
    connect(tray_.get(), &TrayIcon::commandChosen, this, &CTRQ_GMouseDlg::HandleCommand);
    connect(tray_.get(), &TrayIcon::doubleClicked, this, &CTRQ_GMouseDlg::ShowWindowCommand);
}

CTRQ_GMouseDlg::~CTRQ_GMouseDlg() {
    preview_.Stop();
}

bool CTRQ_GMouseDlg::OnInitDialog() {
    // The skin's mask, pictures and fonts do not depend on the settings: they are made
    // beside the steps that read them.
    SkinPreload preload(QString::fromStdString(session_.Paths().SkinFolder().string()), page_,
                        settings::ReadLanguage(session_.Paths().ConfigPath()));
    return OnInitDialog(preload);
}

bool CTRQ_GMouseDlg::OnInitDialog(SkinPreload& preload) {
    driver::MouseDriver& driver = session_.Driver();
    // The workers start first; they wait until the mouse is open. From here on the mouse's
    // removal is heard.
    driver.StartWorkers();
    setWindowIcon(tray_->Icon());
    base::FileResult loaded;
    {
        std::lock_guard files(session_.FileLock());
        loaded = driver.LoadState();
    }
    if (!loaded.ok()) {
        // Nothing is sent or saved over settings that could not be read.
        notifier_.ShowMessage(base::Describe(loaded));
        ExitDriver();
        return false;
    }
    setWindowTitle(FromUtf8(base::kWindowTitle));
    const std::uint8_t language = driver.Language();
    if (!LoadLayouts(language)) return false;
    if (!ShapeMainWindow(preload.TakeMask())) return false;
    hooks_.macroPage->LoadContextMenu(language);
    tray_->LoadMenu(language);
    if (!driver.FindMouse()) {
        notifier_.ShowMessage(base::PlugInMessage(language));
        ExitDriver();
        return false;
    }
    // The mouse gets 5 ms before the settings go to it. Meanwhile the page's texts are drawn
    // once and dropped, while the pictures are still being decoded: text is slow the first
    // time this thread draws it, and the first paint, after the apply, should be quick.
    const auto found = std::chrono::steady_clock::now();
    WarmUpTexts();
    pictures_ = preload.TakePictures();
    std::this_thread::sleep_until(found + std::chrono::milliseconds(5));
    Apply();
    tray_->Add();
    return true;
}

bool CTRQ_GMouseDlg::LoadLayouts(std::uint8_t language) {
    const skin::SkinLoadResult result =
        skin::LoadSkinLayouts(session_.Paths().SkinFolder(), language, layouts_);
    for (std::size_t i = 0; i < result.warnings.size(); ++i) {
        notifier_.ShowMessage(base::kLayoutValueMessage);
    }
    if (!result.ok()) {
        notifier_.ShowMessage(std::string(base::kFileNotFoundMessage) + "\n" + result.file.path);
        ExitDriver();
        return false;
    }
    return true;
}

bool CTRQ_GMouseDlg::ShapeMainWindow(const std::optional<skinui::MaskShape>& shape) {
    const QString skinFolder = QString::fromStdString(session_.Paths().SkinFolder().string());
    if (!shape || shape->size.isEmpty()) {
        // Without the mask the window has neither size nor shape.
        notifier_.ShowMessage(std::string(base::kFileNotFoundMessage) + "\n" +
                              skinui::SkinPicturePath(skinFolder, kMaskPicture).toStdString());
        ExitDriver();
        return false;
    }
    windowRegion_ = shape->region;
    hoverRegion_ = skinui::BuildHoverRegion(windowRegion_, layouts_);
    setFixedSize(shape->size);
    setMask(windowRegion_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place(QPoint(0, 0), shape->size);
        place.moveCenter(screen->availableGeometry().center());
        move(place.topLeft());
    }
    return true;
}

// --- Painting ---

skin::PaintState CTRQ_GMouseDlg::CurrentPaintState() const {
    const driver::MouseDriver& driver = session_.Driver();
    skin::PaintState state;
    state.page = page_;
    state.mainHover = hover_.mainHover;
    state.advancedHover = hover_.advancedHover;
    state.colorHover = hover_.colorHover;
    state.leftButtonHeld = leftButtonHeld_;
    const skin::LedPreview shown = preview_.Shown();
    state.previewColor = shown.previewColor;
    state.previewGray = shown.previewGray;
    state.settings = driver.Settings();
    state.currentProfile = driver.CurrentProfile();
    state.language = driver.Language();
    state.appliedDpiCodes = driver.Applied().dpiCodes;
    state.recording = hooks_.macroPage->Recording();
    state.pressCount = hooks_.macroPage->PressCount();
    state.releaseCount = hooks_.macroPage->ReleaseCount();
    skin::SetMacroState(state, driver.UserMacros());
    return state;
}

skin::PaintPlan CTRQ_GMouseDlg::CurrentPlan() const {
    return skin::BuildPaintPlan(CurrentPaintState(), layouts_);
}

void CTRQ_GMouseDlg::WarmUpTexts() {
    const skin::PaintPlan plan = CurrentPlan();
    QImage scratch(64, 32, skinui::kPictureFormat);
    QPainter painter(&scratch);
    painter.setFont(painter_.Font(plan.font));
    for (const skin::PaintOp& op : plan.ops) {
        if (const auto* text = std::get_if<skin::TextOp>(&op)) {
            painter.drawText(0, 24, QString::fromStdString(text->text));
        }
    }
}

void CTRQ_GMouseDlg::paintEvent(QPaintEvent*) {
    if (!pictures_) return;
    painter_.Paint(CurrentPlan(), *pictures_, canvas_);
    QPainter painter(this);
    painter.drawImage(0, 0, canvas_);
}

void CTRQ_GMouseDlg::Repaint(skin::HoverRepaint what) {
    switch (what) {
        case skin::HoverRepaint::None:
            break;
        case skin::HoverRepaint::HoverRegion:
            repaint(hoverRegion_);
            break;
        case skin::HoverRepaint::Window:
            repaint();
            break;
    }
}

// --- Pointer ---

void CTRQ_GMouseDlg::mouseMoveEvent(QMouseEvent* event) {
    if (draggingByHand_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    if (leftButtonHeld_ && !(event->buttons() & Qt::LeftButton)) {
        // The release went elsewhere (e.g. to the window manager after a move).
        leftButtonHeld_ = false;
        update();
    }
    Repaint(skin::TrackHover(ToSkin(event->position()), page_, layouts_, hover_));
}

void CTRQ_GMouseDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const skin::PressAction action = skin::OnPress(page_, hover_, hooks_.functionMenus->IsOpen(),
                                                   ToSkin(event->position()), layouts_);
    if (action.holdButton) {
        leftButtonHeld_ = true;
        repaint();
    }
    if (action.closeFunctionMenu) hooks_.functionMenus->Close();
    Press(action, event->globalPosition());
}

void CTRQ_GMouseDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    draggingByHand_ = false;
    leftButtonHeld_ = false;
    repaint();
    const skin::ReleaseAction action = skin::OnRelease(hover_.mainHover);
    if (action.clearMainHover) hover_.mainHover = skin::kNoItem;
    Release(action);
}

void CTRQ_GMouseDlg::Press(const skin::PressAction& action, QPointF globalPos) {
    using skin::PressKind;
    switch (action.kind) {
        case PressKind::None:
            break;
        case PressKind::GoToPage:
            GoToPage(action.page);
            break;
        case PressKind::ImportProfile:
            hooks_.profileFiles->ImportProfile();
            update();
            break;
        case PressKind::ExportProfile:
            hooks_.profileFiles->ExportProfile();
            break;
        case PressKind::SaveProfile:
            SaveProfile();
            break;
        case PressKind::OpenFunctionMenu:
            hooks_.functionMenus->Open(action.value, globalPos.toPoint());
            break;
        case PressKind::DragWindow:
            StartDrag(globalPos);
            break;
        case PressKind::SetWheelStatus:
        case PressKind::ToggleDpiLevelEnabled:
        case PressKind::SelectDpiLevel:
        case PressKind::SetDpiValue:
        case PressKind::SetDpiSpeed:
        case PressKind::SetWheelSpeed:
        case PressKind::SetFireTimeFromSlider:
        case PressKind::IncrementFireTime:
        case PressKind::DecrementFireTime:
        case PressKind::SetLedStatus:
            EditSettings(action);
            break;
        case PressKind::ImportMacros:
        case PressKind::ExportMacros:
        case PressKind::NewMacro:
        case PressKind::DeleteMacro:
        case PressKind::ToggleRecording:
        case PressKind::SaveMacroSettings:
        case PressKind::ToggleRepeatMode:
            hooks_.macroPage->Act(action.kind);
            repaint();
            break;
        case PressKind::ToggleLoopWhileHeld:
            ToggleLoopWhileHeld();
            break;
    }
}

void CTRQ_GMouseDlg::Release(const skin::ReleaseAction& action) {
    using skin::ReleaseKind;
    switch (action.kind) {
        case ReleaseKind::None:
            break;
        case ReleaseKind::HideDroppingChanges:
            HideDroppingChanges();
            break;
        case ReleaseKind::Apply:
            Apply();
            break;
        case ReleaseKind::PickProfile:
            PickProfile(action.value);
            break;
        case ReleaseKind::Minimise:
            Minimise();
            break;
        case ReleaseKind::HideToTray:
            HideToTray();
            break;
        case ReleaseKind::ResetToDefaults:
            ResetToDefaults();
            break;
        case ReleaseKind::SwitchLanguage:
            SwitchLanguage(static_cast<std::uint8_t>(action.value));
            break;
        case ReleaseKind::OpenWebLink:
            openUrl_(QUrl(QString::fromLatin1(kWebLinkAddress)));
            break;
    }
}

void CTRQ_GMouseDlg::GoToPage(skin::Page to) {
    const skin::PageChange change = skin::ChangePage(page_, to);
    if (change.destroyMacroControls) hooks_.macroPage->DestroyControls();
    page_ = change.to;
    // Only the shown page's pictures stay decoded.
    if (pictures_) pictures_->Release();
    UpdatePreviewRunning();
    // The whole window: until the macro page's controls cover their areas, a repaint of the
    // hover region alone would leave the old page showing there.
    repaint();
    if (change.createMacroControls) {
        hooks_.macroPage->CreateControls(*this, layouts_);
        repaint();
        hooks_.macroPage->RefreshMacroNameList();
        repaint();
    }
}

void CTRQ_GMouseDlg::StartDrag(QPointF globalPos) {
    if (QWindow* window = windowHandle(); window != nullptr && window->startSystemMove()) return;
    draggingByHand_ = true;
    dragOffset_ = globalPos.toPoint() - pos();
}

// --- Settings ---

void CTRQ_GMouseDlg::EditSettings(const skin::PressAction& action) {
    session_.Driver().EditSettings(
        [&action](settings::DeviceSettings& s) { skin::ApplySettingsEdit(action, s); });
    SyncPreviewInputs();
    repaint();
}

void CTRQ_GMouseDlg::SaveProfile() {
    Report(session_.Driver().SaveCurrentProfile());
    repaint();
}

void CTRQ_GMouseDlg::Apply() {
    const driver::ApplyResult result = session_.Driver().Apply();
    Report(result.file);
    SyncPreviewInputs();
    repaint();
}

void CTRQ_GMouseDlg::PickProfile(int profile) {
    // A profile without a section reads as zeros, as it always has; a file that cannot be
    // read keeps the profile in use.
    Report(session_.Driver().SelectProfile(profile));
    SyncPreviewInputs();
    repaint();
}

void CTRQ_GMouseDlg::HideDroppingChanges() {
    driver::MouseDriver& driver = session_.Driver();
    const std::filesystem::path config = session_.Paths().ConfigPath();
    settings::DeviceSettings snapshot;
    {
        std::lock_guard files(session_.FileLock());
        // The level in use survives: it goes into the snapshot before the snapshot is
        // reloaded.
        Report(
            settings::SaveDpiLevel(config, settings::kAppliedProfile, driver.Settings().dpiLevel));
        const base::FileResult read = settings::LoadProfile(config, settings::kAppliedProfile,
                                                            false, driver.Language(), snapshot);
        // A snapshot that cannot be read drops nothing: the edits stay rather than zeros.
        if (read.error == base::FileError::ReadFailed) {
            Report(read);
        } else {
            driver.ReplaceSettings(snapshot);
        }
    }
    SyncPreviewInputs();
    HideToTray();
    repaint();
}

void CTRQ_GMouseDlg::ResetToDefaults() {
    const driver::ResetResult result = session_.Driver().ResetToDefaults();
    Report(result.profiles);
    Report(result.macros);
    Report(result.apply.file);
    if (page_ == skin::Page::Advanced) hooks_.macroPage->RefreshMacroNameList();
    SyncPreviewInputs();
    repaint();
}

void CTRQ_GMouseDlg::ToggleLoopWhileHeld() {
    driver::MouseDriver& driver = session_.Driver();
    bool switchedOn = false;
    driver.EditSettings([&switchedOn](settings::DeviceSettings& s) {
        switchedOn = s.macroMode2 == 0;
        s.macroMode2 = switchedOn ? 1 : 0;
    });
    if (switchedOn) {
        // Looping while held and a repeat count never both apply to the selected macro.
        macros::UserMacroTable table = driver.UserMacros();
        if (table.currentMacro >= 0 && table.currentMacro < macros::kUserMacroCapacity) {
            table.records[static_cast<std::size_t>(table.currentMacro)].repeatMode = 0;
            driver.SetUserMacros(table);
        }
    }
    repaint();
}

void CTRQ_GMouseDlg::SwitchLanguage(std::uint8_t language) {
    const driver::LanguageResult result = session_.Driver().SwitchLanguage(language);
    Report(result.written);
    if (!LoadLayouts(language)) return;
    if (page_ == skin::Page::Advanced) hooks_.macroPage->RefreshMacroNameList();
    hooks_.macroPage->LoadContextMenu(language);
    tray_->LoadMenu(language);
    setWindowTitle(FromUtf8(base::kWindowTitle));
    repaint();
}

void CTRQ_GMouseDlg::Report(const base::FileResult& result) {
    if (!result.ok()) notifier_.ShowMessage(base::Describe(result));
}

// --- Window commands ---

void CTRQ_GMouseDlg::HandleCommand(int id) {
    switch (WindowCommandOf(id)) {
        case WindowCommand::None:
            break;
        case WindowCommand::ShowWindow:
            ShowWindowCommand();
            break;
        case WindowCommand::ExitDriver:
            ExitDriver();
            break;
        case WindowCommand::Minimise:
            Minimise();
            break;
        case WindowCommand::Close:
            HideToTray();
            break;
        case WindowCommand::About:
            ShowAbout();
            break;
    }
}

void CTRQ_GMouseDlg::ShowWindowCommand() {
    if (ended_) return;
    showNormal();
    raise();
    activateWindow();
}

void CTRQ_GMouseDlg::HideToTray() {
    if (!TrayIcon::TrayAvailable()) {
        Minimise();
        return;
    }
    hide();
    // Puts the icon back should it have vanished (e.g. the tray host restarted).
    tray_->Add();
}

void CTRQ_GMouseDlg::Minimise() {
    showMinimized();
}

void CTRQ_GMouseDlg::ExitDriver() {
    if (ended_) return;
    ended_ = true;
    preview_.Stop();
    tray_->Remove();
    session_.Driver().ExitDriver();
    close();
    emit ended();
}

void CTRQ_GMouseDlg::ShowWindowMenu(QPoint globalPos) {
    const auto entries = WindowMenuEntries(session_.Driver().Language());
    skinui::CTrqMenu* menu = skinui::BuildTrqMenu(std::span<const skin::MenuEntry>(entries), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu, &skinui::CTrqMenu::commandChosen, this, &CTRQ_GMouseDlg::HandleCommand,
            Qt::QueuedConnection);
    menu->popup(globalPos);
}

void CTRQ_GMouseDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CTRQ_GMouseDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Never end or hide the window.
            event->accept();
            return;
        case Qt::Key_Space:
            if (event->modifiers() == Qt::AltModifier) {
                ShowWindowMenu(mapToGlobal(QPoint(0, 0)));
                return;
            }
            break;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}

void CTRQ_GMouseDlg::contextMenuEvent(QContextMenuEvent* event) {
    ShowWindowMenu(event->globalPos());
}

void CTRQ_GMouseDlg::closeEvent(QCloseEvent* event) {
    if (ended_) {
        event->accept();
        return;
    }
    event->ignore();
    HideToTray();
}

// --- The LED preview runs only while the Color page can be seen ---

void CTRQ_GMouseDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdatePreviewRunning();
}

void CTRQ_GMouseDlg::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    UpdatePreviewRunning();
    // A window in the tray may stay there for days: it keeps no pictures meanwhile.
    if (pictures_) pictures_->Release();
    canvas_ = QImage();
}

void CTRQ_GMouseDlg::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) UpdatePreviewRunning();
}

void CTRQ_GMouseDlg::UpdatePreviewRunning() {
    const bool wanted = !ended_ && page_ == skin::Page::Color && isVisible() && !isMinimized();
    previewPageShown_.store(wanted);
    if (!wanted) {
        preview_.Stop();
        return;
    }
    SyncPreviewInputs();
    preview_.Start();
}

void CTRQ_GMouseDlg::SyncPreviewInputs() {
    previewDpiLevel_.store(session_.Driver().Settings().dpiLevel);
    previewLedMode_.store(session_.Driver().Applied().ledMode);
}

// --- Driver events ---

void CTRQ_GMouseDlg::OnDriverChanged(const driver::DriverChange& change) {
    if (ended_) return;
    if (change.what == driver::ChangeKind::MouseRemoved) {
        ExitDriver();
        return;
    }
    SyncPreviewInputs();
    update();
}

}  // namespace trq::app
