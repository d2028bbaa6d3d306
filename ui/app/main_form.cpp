#include "ui/app/main_form.h"

#include "machine/qj47r.h"
#include "platform_qt/guarded.h"
#include "platform_qt/message_box.h"
#include "platform_qt/qt_sound_device.h"
#include "ui/app/about_box.h"
#include "ui/app/config_form.h"
#include "ui/app/convert_form.h"
#include "ui/app/debug_form.h"
#include "ui/app/disc_saving.h"
#include "ui/app/floppy_form.h"
#include "ui/app/form_style.h"
#include "ui/app/io_form.h"
#include "ui/keyboard/key_matrix.h"
#include "ui/loader/program_start.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QShowEvent>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <functional>
#include <utility>

TMainForm* MainForm = nullptr;

namespace {

using platform_qt::TPanelBevel;
using platform_qt::TPanelStyle;
using platform_qt::TStatusPanel;

constexpr TPanelStyle Lamp = TPanelStyle::OwnerDraw, Text = TPanelStyle::Text;
constexpr TPanelBevel Bevel = TPanelBevel::Lowered, NoBevel = TPanelBevel::None;

// The status bar: mode lamps 0-2, drive lamps 5-8, the rest fixed texts.
const TStatusPanel StatusPanels[TMainForm::StatusPanelCount] = {
    {"RVS", 30, Lamp, Bevel},       {"GRPH", 40, Lamp, Bevel},     {"SFTLK", 40, Lamp, Bevel},
    {"", 15, Text, NoBevel},        {"Floppy", 40, Text, NoBevel}, {"A", 25, Lamp, Bevel},
    {"B", 25, Lamp, Bevel},         {"C", 25, Lamp, Bevel},        {"D", 25, Lamp, Bevel},
    {"", 15, Text, NoBevel},        {"CMT", 30, Text, NoBevel},    {"RD", 30, Text, Bevel},
    {"WR", 30, Text, Bevel},        {"No Tape", 80, Text, Bevel},  {"", 15, Text, NoBevel},
    {"Printer", 45, Text, NoBevel}, {"N/R", 50, Text, Bevel},      {"", 15, Text, NoBevel},
    {"RS232", 50, Text, Bevel},
};
constexpr int FirstModeLamp = 0, LastModeLamp = 2, FirstDriveLamp = 5, LastDriveLamp = 8;

constexpr int ToolBarHeight = 41;
constexpr QSize ToolButtonSize(39, 38);

// A colour value of the platform (0x00BBGGRR).
QColor FromColorValue(std::uint32_t value) {
    return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

// Calls f once the window is exposed, when a window manager has placed it (so
// that a box opened then is centred on it); it looks every 10 ms, for 1 s at most.
void WhenExposed(QWidget* window, std::function<void()> f, int tries = 100) {
    QTimer::singleShot(10, window, [window, f = std::move(f), tries]() mutable {
        if (tries > 1 && !(window->windowHandle() && window->windowHandle()->isExposed()))
            WhenExposed(window, std::move(f), tries - 1);
        else
            f();
    });
}

} // namespace

// The tool-bar pictures live in a resource of this static library: registered
// by hand, since nothing else would make the linker keep them.
static void InitMainFormResources() { Q_INIT_RESOURCE(main_form); }

TMainForm::TMainForm(const TMainFormSetup& setup, QWidget* parent) : QMainWindow(parent), Keys(KeyMatrix) {
    // The machine's construction reaches the screen and the status bar through MainForm.
    MainForm = this;
    InitMainFormResources();
    setupUi(this);
    SetUpControls();
    ConnectHandlers();
    try {
        CreateMachine(setup);
    } catch (...) {
        MainForm = nullptr;
        throw;
    }
    qApp->installEventFilter(this);

    WriteBackTimer = new QTimer(this);
    WriteBackTimer->setInterval(
        std::chrono::duration_cast<std::chrono::milliseconds>(TDiscWriteBack::PollPeriod));
    connect(WriteBackTimer, &QTimer::timeout, this, [] {
        if (Machine) Machine->Fdc.WriteBack.Poll(TDiscWriteBack::TClock::now());
    });
    WriteBackTimer->start();
}

TMainForm::~TMainForm() {
    // A window closed through FormClose has deleted the machine already.
    DeleteMachine();
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::SetUpControls() {
    setFont(form_style::FormFont());
    setContextMenuPolicy(Qt::NoContextMenu); // no menu to hide the tool bar

    MainMenu1->setNativeMenuBar(false);
    N2 = File1->insertSeparator(MenuFileExit);
    N2->setObjectName("N2");
    N1 = Control1->insertSeparator(Options1);
    N1->setObjectName("N1");
    // The wizard cannot be opened from the menu.
    Tools1->menuAction()->setVisible(false);
    Tools1->setEnabled(false);

    ToolBar->setFixedHeight(ToolBarHeight);
    ToolBar->toggleViewAction()->setVisible(false);
    for (QAction* action : ToolBar->actions())
        if (auto* button = qobject_cast<QToolButton*>(ToolBar->widgetForAction(action))) {
            button->setFixedSize(ToolButtonSize);
            button->setObjectName(action->objectName());
        }

    Screen->SetBitmapAlign(gfx::baTopLeft);
    Screen->SetScale(1);
    Screen->SetScaleMode(gfx::smNormal);

    StatusBar->SetPanels({std::begin(StatusPanels), std::end(StatusPanels)});
    StatusBar->OnDrawPanel = [this](platform_qt::TStatusBar* bar, int panel,
                                    platform_qt::TStatusCanvas& canvas,
                                    const QRect& rect) { DrawStatus(bar, panel, canvas, rect); };

    // The client area holds the screen and the status bar at their own sizes;
    // the window is exactly as large as its contents and cannot be resized.
    ClientArea->setFixedSize(Screen->width(), Screen->height() + StatusBar->height());
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    OpenDialog.Title = LoadDialogTitle;
    OpenDialog.Filter = LoadDialogFilter;
    OpenDialog.FilterIndex = LoadDialogFilterIndex;

    CPUTimer.SetInterval(50);
    CPUTimer.SetEnabled(false);
}

void TMainForm::ConnectHandlers() {
    using platform_qt::Guarded;
    const std::pair<QAction*, void (TMainForm::*)()> bindings[] = {
        {LoadROM1, &TMainForm::LoadROM1Click},
        {MenuFileExit, &TMainForm::MenuFileExitClick},
        {TB_Quit, &TMainForm::MenuFileExitClick},
        {IPLColdBoot1, &TMainForm::IPLColdBoot1Click},
        {TB_IPL, &TMainForm::IPLColdBoot1Click},
        {NMIWarmBoot1, &TMainForm::NMIWarmBoot1Click},
        {TB_NMI, &TMainForm::NMIWarmBoot1Click},
        {Options1, &TMainForm::Options1Click},
        {TB_Config, &TMainForm::Options1Click},
        {MenuDebugDebugger, &TMainForm::MenuDebugDebuggerClick},
        {TB_Debug, &TMainForm::MenuDebugDebuggerClick},
        {MenuDebugIOMonitor, &TMainForm::MenuDebugIOMonitorClick},
        {TB_IOMON, &TMainForm::MenuDebugIOMonitorClick},
        {WAVtoQJFWizard1, &TMainForm::WAVtoQJFWizard1Click},
        {MenuHelpAbout, &TMainForm::MenuHelpAboutClick},
        {TB_About, &TMainForm::MenuHelpAboutClick},
        {TB_Tape, &TMainForm::TB_TapeClick},
        {TB_Disk, &TMainForm::TB_DiskClick},
    };
    for (const auto& [action, handler] : bindings)
        connect(action, &QAction::triggered, this, Guarded(this, handler));
}

void TMainForm::CreateMachine(const TMainFormSetup& setup) {
    if (!setup.SoundDevice && setup.Sound && platform_qt::QtSoundDevice::HasOutput())
        Sound = std::make_unique<platform_qt::QtSoundDevice>();
    TQJ47RSetup machine;
    machine.Services = this;
    machine.RomFolder = setup.RomFolder;
    machine.Sound = setup.SoundDevice ? setup.SoundDevice : Sound.get();
    Machine = new TQJ47R(machine);
}

void TMainForm::DeleteMachine() {
    // Cleared first: whatever runs from here on sees that there is no machine.
    delete std::exchange(Machine, nullptr);
}

// ---- Showing and closing ----

void TMainForm::showEvent(QShowEvent* event) {
    form_style::PlaceMainWindow(this);
    QMainWindow::showEvent(event);
    // A restore from minimised is spontaneous: the emulation is not pressed again.
    if (!event->spontaneous()) platform_qt::RunGuarded(this, [this] { FormShow(); });
}

void TMainForm::FormShow() {
    GetOptions();
    if (DebugForm) DebugForm->BtnRunClick();
    // A settings file that could not be read, and the disc images an earlier
    // run rescued, are told once, on the first show, over the window once it
    // is on the screen (the show event comes before).
    if (Machine && !StartNoticesShown) {
        StartNoticesShown = true;
        WhenExposed(this, [this, text = QString::fromStdString(Machine->SettingsProblem())] {
            if (!Machine || !isVisible()) return;
            if (!text.isEmpty())
                platform_qt::MessageBox(this, text, ApplicationTitle,
                                        platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
            ShowEarlierRescues(this);
        });
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    platform_qt::RunGuarded(this, [this] { FormClose(); });
    event->accept();
}

void TMainForm::FormClose() {
    // A signal while the window asks about an image closes it again: the
    // asking in progress then ends without questions.
    if (Closing) return;
    Closing = true;
    if (DebugForm && DebugForm->CPUTimer.Enabled()) DebugForm->BtnRunClick();
    WriteBackTimer->stop();
    const int status = Machine ? SaveBeforeExit(this, *Machine) : 0;
    DeleteMachine();
    // The other windows do not keep the program alive. Outside every event
    // loop there is none to end, and an exit then would end the next loop
    // at once.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(status);
}

// ---- Status bar ----

void TMainForm::DrawLamp(platform_qt::TStatusCanvas& Canvas, const QRect& Rect, const QString& Text, bool On,
                         std::uint32_t Color, int TextLeft) {
    Canvas.BrushColor = On ? FromColorValue(Color) : palette().color(QPalette::Button);
    Canvas.FontColor = Qt::black;
    Canvas.FillRect(Rect);
    Canvas.TextOut(Rect.left() + TextLeft, Rect.top() + 1, Text);
}

void TMainForm::DrawStatus(platform_qt::TStatusBar* Bar, int Panel, platform_qt::TStatusCanvas& Canvas,
                           const QRect& Rect) {
    const QString& text = Bar->Panels()[std::size_t(Panel)].Text;
    if (Panel >= FirstModeLamp && Panel <= LastModeLamp) {
        const bool on = Machine && Machine->ModeLamps()[std::size_t(Panel - FirstModeLamp)] != 0;
        DrawLamp(Canvas, Rect, text, on, ModeLampColor, 3);
    } else if (Panel >= FirstDriveLamp && Panel <= LastDriveLamp) {
        const bool on = Machine && Machine->DriveLamps()[std::size_t(Panel - FirstDriveLamp)] != 0;
        DrawLamp(Canvas, Rect, text, on, DriveLampColor, 8);
    }
}

// ---- Keyboard ----

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    // A shortcut taken here would keep its key from the machine (Alt+letter
    // opens no menu); Tab moves no focus.
    if (type != QEvent::ShortcutOverride)
        platform_qt::RunGuarded(this, [&] { KeyHandle(static_cast<QKeyEvent&>(*event)); });
    event->accept();
    return true;
}

void TMainForm::KeyHandle(QKeyEvent& Key) {
    Keys.KeyHandle(Key);
    Key.accept();
}

bool TMainForm::event(QEvent* event) {
    // Keys held now are released in another window: they must not stay down.
    // Ctrl, Shift or Alt held when the window comes back count as held.
    if (event->type() == QEvent::WindowDeactivate)
        Keys.ReleaseAllKeys();
    else if (event->type() == QEvent::WindowActivate)
        Keys.FollowModifiers(QGuiApplication::queryKeyboardModifiers());
    return QMainWindow::event(event);
}

// ---- Options ----

void TMainForm::GetOptions() {
    if (!Machine || !ConfigForm) return;
    const TQJ47RSettings& s = Machine->Settings();
    ConfigForm->RamExp->setChecked(s.RamExpansion != 0);
    ConfigForm->ChkGrp1Present->setChecked(s.Graphics1 != 0);
    ConfigForm->ChkGrp2Present->setChecked(s.Graphics2 != 0);
    ConfigForm->ChkScanDouble->setChecked(s.ScanDouble != 0);
}

void TMainForm::SetOptions() {
    if (!Machine || !ConfigForm) return;
    TQJ47RSettings s = Machine->Settings();
    s.RamExpansion = ConfigForm->RamExp->isChecked() ? 1 : 0;
    s.Graphics1 = ConfigForm->ChkGrp1Present->isChecked() ? 1 : 0;
    s.Graphics2 = ConfigForm->ChkGrp2Present->isChecked() ? 1 : 0;
    s.ScanDouble = ConfigForm->ChkScanDouble->isChecked() ? 1 : 0;
    Machine->SetSettings(s);
}

// ---- Menu and tool bar ----

void TMainForm::LoadROM1Click() {
    if (!OpenDialog.Execute(this) || !Machine) return;
    const bool running = DebugForm && DebugForm->CPUTimer.Enabled();
    LoadProgramFile(
        *Machine, QFile::encodeName(OpenDialog.FileName).toStdString(), running, [this] { ClickRun(); },
        this);
    ShowMemoryInDebugger();
}

void TMainForm::MenuFileExitClick() { close(); }

void TMainForm::IPLColdBoot1Click() {
    if (!Machine) return;
    Machine->ColdBoot = 1;
    Machine->Reset();
    ShowMemoryInDebugger();
}

void TMainForm::NMIWarmBoot1Click() {
    if (!Machine) return;
    Machine->NmiRequest = 1;
    ShowMemoryInDebugger();
}

void TMainForm::ShowMemoryInDebugger() {
    if (DebugForm) DebugForm->RefreshMemory();
}

void TMainForm::Options1Click() {
    // The window may close while the options are open: SetOptions then finds no machine.
    if (ConfigForm && ConfigForm->exec() == QDialog::Accepted) SetOptions();
}

void TMainForm::MenuDebugDebuggerClick() {
    if (DebugForm) form_style::ShowAndActivate(DebugForm);
}

void TMainForm::MenuDebugIOMonitorClick() {
    if (IOForm) form_style::ShowAndActivate(IOForm);
}

void TMainForm::WAVtoQJFWizard1Click() {
    if (ConvertForm) ConvertForm->exec();
}

void TMainForm::MenuHelpAboutClick() {
    if (AboutBox) AboutBox->exec();
}

void TMainForm::TB_TapeClick() {
    platform_qt::MessageBox(this, "Tape file handling not yet implemented!", "Unsupported Feature",
                            platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
}

void TMainForm::TB_DiskClick() {
    if (FloppyForm) form_style::ShowAndActivate(FloppyForm);
}

form_style::TKeepClear TMainForm::ToolWindowKeepClear() const {
    const auto onDesktop = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
    form_style::TKeepClear keep;
    // A hidden menu (the wizard's) has no place in the bar.
    for (QAction* action : MainMenu1->actions())
        if (const QRect item = MainMenu1->actionGeometry(action); action->isVisible() && !item.isEmpty())
            keep.Controls.emplace_back(MainMenu1->mapToGlobal(item.topLeft()), item.size());
    for (QAction* action : ToolBar->actions())
        if (const auto* button = qobject_cast<const QToolButton*>(ToolBar->widgetForAction(action));
            button && button->isVisible())
            keep.Controls.push_back(onDesktop(button));
    keep.Screen = onDesktop(Screen) | onDesktop(StatusBar);
    return keep;
}

// ---- The machine's host ----

void TMainForm::RefreshStatusBar() { StatusBar->repaint(); }

TBitmap32* TMainForm::ScreenBitmap() { return Screen->Bitmap(); }

void* TMainForm::WindowHandle() { return reinterpret_cast<void*>(winId()); }

void TMainForm::ClickRun() {
    if (DebugForm) DebugForm->BtnRunClick();
}

void TMainForm::DiscWriteBackFailed(int drive, const std::string& message) {
    if (drive < 0 || drive >= 4) return;
    DiscWriteBackCleared(drive);
    WriteBackNotices[drive] = platform_qt::ShowNotice(
        this,
        QString("The disk image in drive %1 could not be saved:\n%2\n\n"
                "The machine's writes to it are kept in the emulator, which asks what to "
                "do with them when the image is unmounted or the emulator ends.")
            .arg(QChar('A' + drive), QString::fromStdString(message)),
        "Save Disk Image", platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
}

void TMainForm::DiscWriteBackCleared(int drive) {
    // The writes it told of are saved, discarded or gone with their image.
    if (drive >= 0 && drive < 4 && WriteBackNotices[drive]) WriteBackNotices[drive]->close();
}
