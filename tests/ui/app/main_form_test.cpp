// The main window among the program's eight windows: captions and globals,
// the menu, tool bar and status panels, the lamps drawn for set and clear
// bytes, keys through the window into the key matrix, the options, the loader
// and the tape button.
#include "fixtures/qt_test_app.h"

#include "fixtures/temp_dir.h"
#include "fixtures/test_ipl_results.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the machine
#include "machine/qj47r.h"
#include "platform/settings_store.h"
#include "platform_qt/message_box.h"
#include "platform_qt/open_dialog.h"
#include "ui/app/about_box.h"
#include "ui/app/app_windows.h"
#include "ui/app/config_form.h"
#include "ui/app/convert_form.h"
#include "ui/app/debug_form.h"
#include "ui/app/floppy_form.h"
#include "ui/app/io_form.h"
#include "ui/app/tape_form.h"
#include "ui/app/window_test_support.h"
#include "ui/keyboard/key_queue.h"
#include "ui/keyboard/key_table.h"
#include "ui/loader_test_support.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

using platform_qt::TPanelBevel;
using platform_qt::TPanelStyle;

// The eight windows on the fixture ROMs, settings in a folder of their own.
class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(KeyMatrix, 0, sizeof KeyMatrix);
        SetSettingsFolder(Settings.Path.string());
        Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
        ASSERT_NE(MainForm, nullptr);
        ASSERT_NE(Machine, nullptr);
    }
    void TearDown() override {
        Windows.reset();
        SetSettingsFolder("");
        std::memset(KeyMatrix, 0, sizeof KeyMatrix);
    }
    TMainForm& Form() { return *MainForm; }
    void ShowForm() {
        Form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form()));
    }
    // Slices of the emulation, as the debugger's clock runs them, until the
    // machine has run at least `tstates` T-states; returns how many it ran.
    // Under the automatic speed control each slice leaves its own count in
    // ExecutedTStates, about 80000; a machine that runs far less fails the case.
    static std::int64_t RunMachine(std::int64_t tstates) {
        std::int64_t ran = 0;
        for (std::int64_t slices = 0; ran < tstates; ++slices) {
            if (slices > tstates / 10000) {
                ADD_FAILURE() << "the machine ran " << ran << " T-states in " << slices << " slices";
                break;
            }
            DebugForm->DoCPU();
            ran += Machine->Host().ExecutedTStates;
        }
        return ran;
    }

    fixtures::TempDir Settings;
    std::optional<TAppWindows> Windows;
};

TEST_F(MainFormTest, EightWindowsWithTheirCaptionsAndTheMachineDrawingIntoTheScreen) {
    const std::pair<QWidget*, const char*> windows[] = {
        {MainForm, "Varnel QJ-47R Emulator"}, {DebugForm, "Z80 Debugger"},
        {AboutBox, "About the Software"},     {IOForm, "IOForm"},
        {ConfigForm, "Emulator Options"},     {FloppyForm, "Floppy Drives"},
        {TapeForm, "Tape Playlist Editor"},   {ConvertForm, "WAV to QJF Conversion Wizard"},
    };
    for (const auto& [window, caption] : windows) {
        ASSERT_NE(window, nullptr) << caption;
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_TRUE(window->isWindow()) << caption;
    }
    EXPECT_EQ(QString(ApplicationTitle), "Varnel QJ-47R Emulator");

    // The machine was built with MainForm set: it draws into the window's screen.
    EXPECT_EQ(Machine->Screen(), Form().Screen->Bitmap());
    EXPECT_EQ(Form().Screen->Bitmap()->Width(), 640);
    EXPECT_EQ(Form().Screen->Bitmap()->Height(), 400);
    EXPECT_EQ(Form().Screen->BitmapAlign(), gfx::baTopLeft);
    EXPECT_EQ(Form().Screen->ScaleMode(), gfx::smNormal);
    EXPECT_EQ(Form().Screen->Scale(), 1.0f);

    ShowForm();
    // The screen fills the client width directly below the tool bar, the
    // status bar below it; the window has one size only.
    const QRect screen(Form().Screen->mapTo(&Form(), QPoint(0, 0)), Form().Screen->size());
    EXPECT_EQ(screen, QRect(0, Form().ToolBar->geometry().bottom() + 1, 640, 400));
    EXPECT_EQ(Form().ToolBar->height(), 41);
    EXPECT_EQ(Form().StatusBar->height(), 19);
    EXPECT_EQ(Form().StatusBar->mapTo(&Form(), QPoint(0, 0)).y(), screen.bottom() + 1);
    EXPECT_EQ(Form().width(), 640);
    EXPECT_EQ(Form().height(), Form().StatusBar->mapTo(&Form(), QPoint(0, 0)).y() + 19);
    EXPECT_EQ(Form().minimumSize(), Form().maximumSize());
    EXPECT_EQ(Form().size(), Form().minimumSize());

    // Each global goes with its window, and the machine with the main window.
    Windows.reset();
    for (QWidget* window :
         {static_cast<QWidget*>(MainForm), static_cast<QWidget*>(DebugForm), static_cast<QWidget*>(AboutBox),
          static_cast<QWidget*>(IOForm), static_cast<QWidget*>(ConfigForm), static_cast<QWidget*>(FloppyForm),
          static_cast<QWidget*>(TapeForm), static_cast<QWidget*>(ConvertForm)})
        EXPECT_EQ(window, nullptr);
    EXPECT_EQ(Machine, nullptr);
}

// The menu's captions in order ("-" a separator, with its name when it has one).
QStringList MenuItems(const QMenu* menu) {
    QStringList items;
    for (const QAction* a : menu->actions())
        items << (a->isSeparator() ? "-" + a->objectName() : a->objectName() + "=" + a->text());
    return items;
}

TEST_F(MainFormTest, MenuToolBarAndStatusPanels) {
    TMainForm& f = Form();
    QStringList titles;
    for (const QAction* a : f.MainMenu1->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Control", "&Debug", "&Tools", "&Help"}));
    EXPECT_EQ(MenuItems(f.File1), QStringList({"LoadROM1=&Load ROM...", "-N2", "MenuFileExit=E&xit"}));
    EXPECT_EQ(MenuItems(f.Control1),
              QStringList({"IPLColdBoot1=&IPL (Cold Boot)", "NMIWarmBoot1=&NMI (Warm Boot)", "-N1",
                           "Options1=&Options..."}));
    EXPECT_EQ(MenuItems(f.Debug1),
              QStringList({"MenuDebugDebugger=&Debug Screen", "MenuDebugIOMonitor=&I/O Monitor"}));
    EXPECT_EQ(MenuItems(f.Tools1), QStringList({"WAVtoQJFWizard1=&WAV to QJF Wizard..."}));
    EXPECT_EQ(MenuItems(f.Help1), QStringList({"MenuHelpAbout=&About"}));
    // The wizard cannot be reached from the menu.
    EXPECT_FALSE(f.Tools1->menuAction()->isVisible());
    EXPECT_FALSE(f.Tools1->isEnabled());

    QStringList buttons;
    for (const QAction* a : f.ToolBar->actions()) {
        if (a->isSeparator()) {
            buttons << "-";
            continue;
        }
        buttons << a->objectName() + "=" + a->toolTip();
        EXPECT_EQ(a->icon().pixmap(32, 32).size(), QSize(32, 32)) << a->objectName().toStdString();
        auto* button = f.findChild<QToolButton*>(a->objectName());
        ASSERT_NE(button, nullptr) << a->objectName().toStdString();
        EXPECT_EQ(button->size(), QSize(39, 38));
    }
    EXPECT_EQ(buttons,
              QStringList({"TB_IPL=Reboot (IPL)", "TB_NMI=Interrupt (NMI)", "-", "TB_Tape=Tape Options",
                           "TB_Disk=Floppy Options", "-", "TB_Config=Configuration", "TB_Debug=Show Debugger",
                           "TB_IOMON=Inspect I/O", "-", "TB_About=About the Software", "-",
                           "TB_Quit=Quit the Software"}));
    EXPECT_EQ(f.ToolBar->iconSize(), QSize(32, 32));
    EXPECT_FALSE(f.ToolBar->isMovable());

    struct Panel {
        const char* Text;
        int Width;
        bool Lamp, Bevel;
    };
    const Panel panels[] = {
        {"RVS", 30, true, true},       {"GRPH", 40, true, true},     {"SFTLK", 40, true, true},
        {"", 15, false, false},        {"Floppy", 40, false, false}, {"A", 25, true, true},
        {"B", 25, true, true},         {"C", 25, true, true},        {"D", 25, true, true},
        {"", 15, false, false},        {"CMT", 30, false, false},    {"RD", 30, false, true},
        {"WR", 30, false, true},       {"No Tape", 80, false, true}, {"", 15, false, false},
        {"Printer", 45, false, false}, {"N/R", 50, false, true},     {"", 15, false, false},
        {"RS232", 50, false, true},
    };
    const auto& shown = f.StatusBar->Panels();
    ASSERT_EQ(shown.size(), std::size(panels));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i].Text, panels[i].Text);
        EXPECT_EQ(shown[i].Width, panels[i].Width);
        EXPECT_EQ(shown[i].Style == TPanelStyle::OwnerDraw, panels[i].Lamp);
        EXPECT_EQ(shown[i].Bevel == TPanelBevel::Lowered, panels[i].Bevel);
    }
}

// The colour of each lamp panel, one letter each: G lime green, R red, '-' the
// button face, '?' anything else; read beside the panel's text.
std::string Lamps(TMainForm& f) {
    const QImage shot = f.StatusBar->grab().toImage();
    const QColor face = f.palette().color(QPalette::Button);
    std::string seen;
    for (int panel : {0, 1, 2, 5, 6, 7, 8}) {
        const QRect r = f.StatusBar->PanelRect(panel);
        const QColor c = shot.pixelColor(r.right() - 1, r.bottom() - 1);
        seen += c == QColor(0, 255, 0) ? 'G' : c == QColor(255, 0, 0) ? 'R' : c == face ? '-' : '?';
    }
    return seen;
}

// Counts the events of one type that a widget receives.
struct EventCounter : QObject {
    explicit EventCounter(QEvent::Type type) : Type(type) {}
    QEvent::Type Type;
    int Count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == Type) ++Count;
        return false;
    }
};

TEST_F(MainFormTest, StatusLampsShowTheMachinesModeAndDriveBytes) {
    ShowForm();
    TMainForm& f = Form();
    EXPECT_EQ(Lamps(f), "-------");

    EventCounter counter(QEvent::Paint);
    f.StatusBar->installEventFilter(&counter);
    Machine->WritePort(0xE0, 0xA0); // PA7 RVS and PA5 SFTLK
    EXPECT_GE(counter.Count, 1) << "the status bar is repainted at once";
    EXPECT_EQ(Lamps(f), "G-G----");
    Machine->WritePort(0xE0, 0x40);        // PA6 GRPH
    Machine->WritePort(0xDC, 0x05);        // drive B selected ...
    Machine->WritePort(0xD8, 0x08 ^ 0xFF); // ... and busy
    Machine->CheckInterrupt(4000);
    ASSERT_EQ(Machine->DriveLamps()[1], 1);
    EXPECT_EQ(Lamps(f), "-G--R--");

    // The lamps' texts are written in black over the lamp colour, 1 pixel
    // down and from 3 pixels in in a mode lamp, 8 in a drive lamp.
    const QImage shot = f.StatusBar->grab().toImage();
    const std::pair<int, int> textLefts[] = {{1, 3}, {6, 8}}; // GRPH and B, both lit
    for (const auto& [panel, left] : textLefts) {
        SCOPED_TRACE(panel);
        const QRect b = f.StatusBar->PanelRect(panel);
        QRect ink;
        for (int x = b.left(); x <= b.right(); ++x)
            for (int y = b.top(); y <= b.bottom(); ++y)
                if (shot.pixelColor(x, y).lightness() < 80) ink |= QRect(x, y, 1, 1);
        ASSERT_FALSE(ink.isEmpty()) << "no text in the lamp";
        EXPECT_GE(ink.left(), b.left() + left);
        EXPECT_LE(ink.left(), b.left() + left + 1);
        EXPECT_GE(ink.top(), b.top() + 1);
    }

    Machine->Reset();
    EXPECT_EQ(Lamps(f), "-------");
    f.StatusBar->removeEventFilter(&counter);
}

TEST_F(MainFormTest, WithoutAMachineTheLampsAreOff) {
    ShowForm();
    Machine->WritePort(0xE0, 0xE0);
    EXPECT_EQ(Lamps(Form()), "GGG----");
    Form().close();
    EXPECT_EQ(Machine, nullptr);
    EXPECT_EQ(Lamps(Form()), "-------");
    // Later commands find no machine and do nothing.
    Form().IPLColdBoot1->trigger();
    Form().NMIWarmBoot1->trigger();
    Form().GetOptions();
    Form().SetOptions();
}

// A key event as the window system delivers it, to the widget with the focus.
void Key(QWidget* target, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
         bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(target, &event);
}

TEST_F(MainFormTest, KeysReachTheMatrixThroughTheWindow) {
    ShowForm();
    TMainForm& f = Form();
    // A control of the window has the focus; the window sees its keys first.
    auto* button = f.findChild<QToolButton*>("TB_IPL");
    button->setFocusPolicy(Qt::StrongFocus);
    button->setFocus();
    QWidget* target = f.focusWidget() ? f.focusWidget() : &f;

    Key(target, QEvent::KeyPress, Qt::Key_A);
    EXPECT_EQ(KeyMatrix[4], 0x02);
    Key(target, QEvent::KeyPress, Qt::Key_A, {}, true); // repeats change nothing
    Key(target, QEvent::KeyPress, Qt::Key_A, {}, true);
    EXPECT_EQ(KeyMatrix[4], 0x02);
    Key(target, QEvent::KeyRelease, Qt::Key_A, {}, true);
    EXPECT_EQ(KeyMatrix[4], 0x02);
    RunMachine(keyboard::KeyHoldTStates); // a person's key stays down that long
    Key(target, QEvent::KeyRelease, Qt::Key_A);
    EXPECT_EQ(KeyMatrix[4], 0x00);

    // Tab is a key of the machine and moves no focus.
    QWidget* focused = QApplication::focusWidget();
    QTest::keyPress(target, Qt::Key_Tab);
    EXPECT_EQ(KeyMatrix[3], 0x01);
    EXPECT_EQ(QApplication::focusWidget(), focused);
    RunMachine(keyboard::KeyHoldTStates);
    QTest::keyRelease(target, Qt::Key_Tab);
    EXPECT_EQ(KeyMatrix[3], 0x00);

    // Alt+F: the machine's F and Alt, no menu.
    Key(target, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyPress(target, Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(KeyMatrix[4], 0x40);
    EXPECT_EQ(KeyMatrix[keyboard::ModifierRow], keyboard::AltBit);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    RunMachine(keyboard::KeyHoldTStates);
    QTest::keyRelease(target, Qt::Key_F, Qt::AltModifier);
    Key(target, QEvent::KeyRelease, Qt::Key_Alt);
    EXPECT_EQ(KeyMatrix[4], 0x00);
    EXPECT_EQ(KeyMatrix[keyboard::ModifierRow], 0x00);

    // Keys typed into another window are not the machine's.
    Key(IOForm, QEvent::KeyPress, Qt::Key_B);
    EXPECT_EQ(KeyMatrix[4], 0x00);
}

TEST_F(MainFormTest, KeysHeldWhenTheWindowLosesTheFocusAreReleased) {
    ShowForm();
    TMainForm& f = Form();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    Key(&f, QEvent::KeyPress, Qt::Key_A);
    Key(&f, QEvent::KeyPress, Qt::Key_CapsLock);
    Key(&f, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    ASSERT_EQ(KeyMatrix[4], 0x02);
    ASSERT_EQ(KeyMatrix[keyboard::ModifierRow], keyboard::CapsLockBit | keyboard::ShiftBit);

    IOForm->show();
    IOForm->activateWindow();
    ASSERT_TRUE(WaitUntilActive(IOForm));
    RunMachine(keyboard::KeyHoldTStates); // each press stays until the machine has seen it
    EXPECT_EQ(KeyMatrix[4], 0x00);
    EXPECT_EQ(KeyMatrix[keyboard::ModifierRow], 0x00) << "Shift's release goes to the other window";
}

// A key pressed and released before the next slice (a quick typist, an
// on-screen keyboard, xdotool): the press reaches the matrix and the program,
// and the release follows once the machine has run for the hold.
TEST_F(MainFormTest, PressAndReleaseBeforeTheNextSliceReachTheProgram) {
    ShowForm();
    DebugForm->BtnRunClick(); // stopped: the test runs the slices itself
    ASSERT_FALSE(DebugForm->CPUTimer.Enabled());
    MainRam[test_ipl::Stage] = 0;
    for (int i = 0; i < 50 && (Machine->IplMode() || MainRam[test_ipl::Stage] != 1); ++i)
        DebugForm->DoCPU();
    ASSERT_EQ(MainRam[test_ipl::Stage], 1) << "the test program does not wait for a key";

    // Both in one batch of events, handled one after the other before the next slice.
    QCoreApplication::postEvent(&Form(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
    QCoreApplication::postEvent(&Form(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(KeyMatrix[4], 0x02) << "the press is in the matrix";

    std::int64_t ran = RunMachine(1);
    EXPECT_EQ(MainRam[test_ipl::Stage], 2) << "the program saw no key";
    EXPECT_EQ(MainRam[test_ipl::KeyRowAt], 4);
    EXPECT_EQ(MainRam[test_ipl::KeyBitsAt], 0x02);
    for (int slices = 0; ran < keyboard::KeyHoldTStates && slices < 100; ++slices) {
        EXPECT_EQ(KeyMatrix[4], 0x02) << "released after " << ran << " T-states";
        ran += RunMachine(1);
    }
    EXPECT_EQ(KeyMatrix[4], 0x00) << "still down after " << ran << " T-states";
}

// Step Into runs the machine as slices do: a key pressed and released while
// the emulation is stopped comes up once slices and single steps together
// have run its hold, and not before.
TEST_F(MainFormTest, StepIntoMovesAKeysHoldOnAsSlicesDo) {
    ShowForm();
    DebugForm->BtnRunClick(); // stopped: the test runs the slices and steps itself
    ASSERT_FALSE(DebugForm->CPUTimer.Enabled());
    // Slices of the bar's smallest budget; set by hand, ExecutedTStates counts on
    // over slices and steps alike.
    ConfigForm->ChkSpeed->setChecked(false);
    ConfigForm->SpeedBar->setValue(ConfigForm->SpeedBar->minimum());
    const std::int64_t slice = ConfigForm->SpeedBar->value();
    ASSERT_LT(4 * slice, keyboard::KeyHoldTStates);

    QCoreApplication::postEvent(&Form(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
    QCoreApplication::postEvent(&Form(), new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier));
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(KeyMatrix[4], 0x02);
    const std::int64_t start = Machine->Host().ExecutedTStates;
    const auto ran = [&] { return Machine->Host().ExecutedTStates - start; };
    for (int i = 0; i < 100 && ran() + 2 * slice < keyboard::KeyHoldTStates; ++i)
        DebugForm->DoCPU();
    ASSERT_LT(ran(), keyboard::KeyHoldTStates - slice) << "the steps have less than a slice left to run";
    EXPECT_EQ(KeyMatrix[4], 0x02) << "released after " << ran() << " T-states of slices";

    // Stepped until the release shows or is due.
    for (int i = 0; i < 10000 && KeyMatrix[4] != 0 && ran() < keyboard::KeyHoldTStates; ++i)
        DebugForm->BtnStep->click();
    EXPECT_GE(ran(), keyboard::KeyHoldTStates) << "released after " << ran() << " T-states";
    EXPECT_EQ(KeyMatrix[4], 0x00) << "still down after " << ran() << " T-states of slices and steps";
}

// Ctrl, Shift or Alt held down when the window becomes active again count as
// held from then on, though the window never saw their presses.
TEST_F(MainFormTest, ModifiersHeldWhenTheWindowIsActivatedAreTakenFromTheKeyboard) {
    struct Modifier {
        Qt::Key Key;
        Qt::KeyboardModifier State;
        std::uint8_t Bit;
    };
    const Modifier modifiers[] = {{Qt::Key_Shift, Qt::ShiftModifier, keyboard::ShiftBit},
                                  {Qt::Key_Control, Qt::ControlModifier, keyboard::CtrlBit},
                                  {Qt::Key_Alt, Qt::AltModifier, keyboard::AltBit}};
    ShowForm();
    IOForm->show();
    for (const Modifier& m : modifiers) {
        SCOPED_TRACE(QKeySequence(m.Key).toString().toStdString());
        IOForm->activateWindow();
        ASSERT_TRUE(WaitUntilActive(IOForm));
        // Pressed while another window has the focus: the keyboard's state has it.
        QTest::keyPress(IOForm, m.Key, m.State);
        ASSERT_EQ(QGuiApplication::queryKeyboardModifiers(), m.State);
        EXPECT_EQ(KeyMatrix[keyboard::ModifierRow], 0);

        Form().activateWindow();
        ASSERT_TRUE(WaitUntilActive(&Form()));
        EXPECT_EQ(KeyMatrix[keyboard::ModifierRow], m.Bit);

        RunMachine(keyboard::KeyHoldTStates);
        Key(&Form(), QEvent::KeyRelease, m.Key, m.State); // the state before the release, as X11 gives it
        EXPECT_EQ(KeyMatrix[keyboard::ModifierRow], 0);
        // The keyboard's state lets go of it too, for the cases after this one.
        QTest::keyRelease(IOForm, m.Key);
        EXPECT_EQ(QGuiApplication::queryKeyboardModifiers(), Qt::NoModifier);
    }
}

TEST_F(MainFormTest, FirstShowCopiesTheSettingsAndARestoreDoesNotRunItAgain) {
    Windows.reset();
    WriteRegistryString("Graphics1", "FALSE");
    Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
    ASSERT_EQ(Machine->Settings().Graphics1, 0);
    ConfigForm->ChkGrp1Present->setChecked(true);
    ShowForm();
    EXPECT_FALSE(ConfigForm->ChkGrp1Present->isChecked());
    EXPECT_TRUE(ConfigForm->RamExp->isChecked());
    EXPECT_TRUE(ConfigForm->ChkScanDouble->isChecked());

    // Minimised and restored: the window is shown again, but FormShow does not run.
    ConfigForm->ChkGrp1Present->setChecked(true);
    Form().showMinimized();
    QTest::qWait(50);
    EventCounter shows(QEvent::Show);
    Form().installEventFilter(&shows);
    Form().showNormal();
    QTest::qWait(50);
    Form().removeEventFilter(&shows);
    EXPECT_GE(shows.Count, 1);
    EXPECT_TRUE(ConfigForm->ChkGrp1Present->isChecked());
}

// Closes the options window with OK or not, after changing its boxes.
void AnswerOptions(bool ok) {
    QTimer::singleShot(0, ConfigForm, [ok] {
        ConfigForm->RamExp->setChecked(false);
        ConfigForm->ChkScanDouble->setChecked(false);
        if (ok)
            ConfigForm->accept();
        else
            ConfigForm->reject();
    });
}

TEST_F(MainFormTest, OptionsChangeTheMachineOnlyWithOK) {
    ShowForm();
    AnswerOptions(false);
    Form().Options1->trigger();
    EXPECT_EQ(Machine->Settings().RamExpansion, 1);
    EXPECT_EQ(Machine->Settings().ScanDouble, 1);

    AnswerOptions(true);
    Form().TB_Config->trigger();
    EXPECT_EQ(Machine->Settings().RamExpansion, 0);
    EXPECT_EQ(Machine->Settings().ScanDouble, 0);
    EXPECT_EQ(Machine->Settings().Graphics1, 1);
}

TEST_F(MainFormTest, ColdBootAndNmi) {
    Machine->ColdBoot = 0;
    Machine->Reset();
    ASSERT_EQ(Machine->IplMode(), 0);
    Form().TB_IPL->trigger();
    EXPECT_EQ(Machine->IplMode(), 1);
    EXPECT_EQ(Machine->ColdBoot, 1);

    Form().NMIWarmBoot1->trigger();
    Form().TB_NMI->trigger();
    EXPECT_EQ(Machine->NmiRequest, 1);
}

TEST_F(MainFormTest, TapeButtonSaysItIsNotImplemented) {
    platform_qt::ScopedMessageBoxRecorder boxes;
    Form().TB_Tape->trigger();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Tape file handling not yet implemented!");
    EXPECT_EQ(boxes.Shown()[0].caption, "Unsupported Feature");
    EXPECT_EQ(boxes.Shown()[0].flags, 0x30u);
}

TEST_F(MainFormTest, WindowsShownFromTheMenuAndToolBar) {
    const std::pair<QAction*, QWidget*> shows[] = {
        {Form().MenuDebugDebugger, DebugForm}, {Form().TB_Debug, DebugForm},
        {Form().MenuDebugIOMonitor, IOForm},   {Form().TB_IOMON, IOForm},
        {Form().TB_Disk, FloppyForm},
    };
    for (const auto& [action, window] : shows) {
        window->hide();
        action->trigger();
        EXPECT_TRUE(window->isVisible()) << action->objectName().toStdString();
        EXPECT_FALSE(window->isModal());
        window->hide();
    }
    // The about box and the wizard are modal.
    const std::pair<QAction*, QDialog*> modal[] = {
        {Form().MenuHelpAbout, AboutBox}, {Form().TB_About, AboutBox}, {Form().WAVtoQJFWizard1, ConvertForm}};
    for (const auto& [action, dialog] : modal) {
        bool wasModal = false;
        QTimer::singleShot(0, dialog, [&wasModal, dialog = dialog] {
            wasModal = dialog->isVisible() && dialog->isModal();
            dialog->reject();
        });
        action->trigger();
        EXPECT_TRUE(wasModal) << action->objectName().toStdString();
    }
}

// The open dialog answers with `file` (nullopt: cancelled) and records what it was asked.
struct DialogAnswer {
    explicit DialogAnswer(std::optional<QString> file) {
        Previous = platform_qt::SetOpenDialogPresenter(
            [this, file](QWidget*, const platform_qt::TOpenDialog& d) -> std::optional<QString> {
                Title = d.Title;
                Filter = d.Filter;
                FilterIndex = d.FilterIndex;
                return file;
            });
    }
    ~DialogAnswer() { platform_qt::SetOpenDialogPresenter(std::move(Previous)); }
    platform_qt::OpenDialogPresenter Previous;
    QString Title, Filter;
    int FilterIndex = 0;
};

int PC() {
    z80regs r;
    Machine->GetRegisters(&r);
    return r.PC;
}

// What a load changes: the mode, the cold-boot flag, PC and the RAM.
struct LoadedState {
    static LoadedState Now() {
        return {Machine->IplMode(), Machine->ColdBoot, PC(), {MainRam, MainRam + 0x10000}};
    }
    bool operator==(const LoadedState&) const = default;
    std::uint8_t IplMode, ColdBoot;
    int Pc;
    std::vector<std::uint8_t> Ram;
};

TEST_F(MainFormTest, LoadRomPutsAProgramIntoMemory) {
    fixtures::TempDir files;
    const auto body = loader_test::Counting(300);
    const std::string name = files.File("PROGRAM.QJF");
    loader_test::WriteFile(name, loader_test::Qjf(0x1200, 0x1234, body));
    ShowForm(); // the first show starts the emulation
    ASSERT_TRUE(DebugForm->CPUTimer.Enabled());

    {
        const LoadedState before = LoadedState::Now();
        DialogAnswer cancel(std::nullopt);
        Form().LoadROM1->trigger();
        EXPECT_EQ(cancel.Title, "Load Varnel Program");
        EXPECT_EQ(cancel.Filter, "Varnel QJ Images (*.qjf)|*.qjf|Binary Images (*.bin)|*.bin|"
                                 "Supported Images (*.qjf;*.bin)|*.qjf;*.bin");
        EXPECT_EQ(cancel.FilterIndex, 3);
        EXPECT_TRUE(LoadedState::Now() == before) << "a cancelled load touches nothing";
        EXPECT_TRUE(DebugForm->CPUTimer.Enabled()) << "a cancelled load leaves the emulation running";
    }
    // Upper-case extensions are offered as well.
    EXPECT_TRUE(Form().OpenDialog.NameFilters().join(" ").contains("*.[qQ][jJ][fF]"));

    DialogAnswer load(QString::fromStdString(name));
    Form().LoadROM1->trigger();
    EXPECT_EQ(Machine->IplMode(), 0);
    EXPECT_EQ(PC(), 0x1234);
    EXPECT_TRUE(std::equal(body.begin(), body.end(), MainRam + 0x1200));
}

TEST_F(MainFormTest, LoadRomOfAFileThatCannotBeReadShowsItsMessageAndKeepsTheMachine) {
    fixtures::TempDir files;
    const std::string huge = files.File("huge.bin");
    loader_test::WriteFile(huge, loader_test::Counting(70000));
    const struct {
        std::string path, message;
    } cases[] = {
        {"/nonexistent/program.qjf", "Cannot open file /nonexistent/program.qjf: No such file or directory"},
        // No .bin extension: read as a QJF image, whose first read fails.
        {"/proc/self/mem", "Cannot read file /proc/self/mem: Input/output error"},
        {huge, "Cannot load " + huge + ": a .bin image holds at most 65536 bytes, the file has 70000"},
    };
    ShowForm();
    ASSERT_TRUE(DebugForm->CPUTimer.Enabled());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        platform_qt::ScopedMessageBoxRecorder boxes;
        const LoadedState before = LoadedState::Now();
        DialogAnswer load(QString::fromStdString(c.path));
        Form().LoadROM1->trigger();
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text.toStdString(), c.message);
        EXPECT_TRUE(LoadedState::Now() == before) << "a refused file changes nothing";
        EXPECT_TRUE(DebugForm->CPUTimer.Enabled()) << "nor stops the emulation";
    }
}

TEST_F(MainFormTest, AMissingRomLeavesNoWindowAndNoMachine) {
    Windows.reset();
    fixtures::TempDir empty;
    EXPECT_THROW(TMainForm form(TMainFormSetup{empty.Path.string(), false}), std::exception);
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_EQ(Machine, nullptr);
}

} // namespace
