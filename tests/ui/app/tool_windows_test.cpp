// The tool windows (debugger, I/O monitor, floppy drives, options) on a
// desktop: the menu and tool bar bring an open one to the front and give it
// the focus; each is kept above the main window (its transient parent) and
// stays modeless, the options modal; the first show places each where it
// leaves the main window's screen and status bar in view, wholly on the
// screen, on screens of three sizes (their available areas faked); with the
// main window moved away from the top left, the tool windows cover one another
// only where the screen leaves no other room, and then as little as it
// allows; and a window moved by the user opens there again.
#include "fixtures/qt_test_app.h"

#include "fixtures/temp_dir.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the machine
#include "platform/settings_store.h"
#include "ui/app/window_test_support.h"
#include "ui/app/app_windows.h"
#include "ui/app/config_form.h"
#include "ui/app/debug_form.h"
#include "ui/app/floppy_form.h"
#include "ui/app/form_style.h"
#include "ui/app/io_form.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

// Counts the raises of a window.
class RaiseCounter : public QObject {
  public:
    explicit RaiseCounter(QWidget* window) { window->installEventFilter(this); }
    int Raises = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ZOrderChange) ++Raises;
        return false;
    }
};

// The eight windows on the fixture ROMs, settings in a folder of their own,
// placed on a screen whose available area the test gives.
class ToolWindowsTest : public ::testing::Test {
  protected:
    void SetUp() override { SetSettingsFolder(Settings.Path.string()); }
    void TearDown() override {
        Windows.reset();
        form_style::SetAvailableGeometry(std::nullopt);
        SetSettingsFolder("");
    }
    // Fresh windows (none placed yet) on a screen with the available area `room`.
    void Start(const QRect& room) {
        Windows.reset();
        form_style::SetAvailableGeometry(room);
        Windows.emplace(TMainFormSetup{QJ_FIXTURE_ROMS, false});
        ASSERT_NE(MainForm, nullptr);
        MainForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    }
    // The emulated screen and the status bar on the desktop.
    static QRect ScreenAndStatusBar() {
        const auto global = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
        return global(MainForm->Screen) | global(MainForm->StatusBar);
    }
    // The options window's frame while it is open; it is closed again.
    static QRect OptionsFrame() {
        QRect frame;
        QTimer::singleShot(0, ConfigForm, [&frame] {
            frame = ConfigForm->frameGeometry();
            ConfigForm->reject();
        });
        MainForm->Options1->trigger();
        return frame;
    }

    fixtures::TempDir Settings;
    std::optional<TAppWindows> Windows;
};

QString Name(const QWidget* window) { return window->windowTitle(); }

TEST_F(ToolWindowsTest, ShowingAnOpenWindowBringsItToTheFrontWithTheFocus) {
    Start(QRect(0, 0, 1280, 1024));
    const std::pair<QAction*, QWidget*> shows[] = {
        {MainForm->TB_Debug, DebugForm}, {MainForm->MenuDebugDebugger, DebugForm},
        {MainForm->TB_IOMON, IOForm},    {MainForm->MenuDebugIOMonitor, IOForm},
        {MainForm->TB_Disk, FloppyForm},
    };
    for (const auto& [action, window] : shows) {
        SCOPED_TRACE(action->objectName().toStdString());
        action->trigger();
        ASSERT_TRUE(WaitUntilActive(window));
        // The main window takes the focus (a click into the screen), and the
        // tool window stays open behind whatever was activated since.
        MainForm->activateWindow();
        ASSERT_TRUE(WaitUntilActive(MainForm));
        RaiseCounter raises(window);
        action->trigger();
        EXPECT_TRUE(WaitUntilActive(window));
        EXPECT_EQ(raises.Raises, 1);

        // Minimised, it comes back.
        window->showMinimized();
        ASSERT_TRUE(QTest::qWaitFor([window = window] { return window->isMinimized(); }));
        action->trigger();
        EXPECT_TRUE(QTest::qWaitFor([window = window] { return !window->isMinimized(); }));
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(WaitUntilActive(window));
        // Closed, as the window manager does, the focus goes back to the main window.
        window->hide();
        MainForm->activateWindow();
        ASSERT_TRUE(WaitUntilActive(MainForm));
    }
}

TEST_F(ToolWindowsTest, ToolWindowsStayAboveTheMainWindowWithoutBlockingIt) {
    Start(QRect(0, 0, 1280, 1024));
    QWindow* const main = MainForm->windowHandle();
    ASSERT_NE(main, nullptr);
    const std::pair<QAction*, QWidget*> shows[] = {
        {MainForm->TB_Debug, DebugForm}, {MainForm->TB_IOMON, IOForm}, {MainForm->TB_Disk, FloppyForm}};
    for (const auto& [action, window] : shows) {
        SCOPED_TRACE(Name(window).toStdString());
        // From their creation on, and after a show and a hide.
        ASSERT_NE(window->windowHandle(), nullptr);
        EXPECT_EQ(window->windowHandle()->transientParent(), main);
        action->trigger();
        EXPECT_EQ(window->windowHandle()->transientParent(), main);
        EXPECT_FALSE(window->isModal());
        EXPECT_EQ(window->windowModality(), Qt::NonModal);
        // Owned as before: no parent widget, so no change in who destroys it.
        EXPECT_EQ(window->parentWidget(), nullptr);
        window->hide();
        action->trigger();
        EXPECT_EQ(window->windowHandle()->transientParent(), main);
    }

    // The options window is modal and above the main window too.
    bool modal = false;
    QWindow* transientParent = nullptr;
    QTimer::singleShot(0, ConfigForm, [&] {
        modal = ConfigForm->isVisible() && ConfigForm->isModal();
        transientParent = ConfigForm->windowHandle()->transientParent();
        ConfigForm->reject();
    });
    MainForm->Options1->trigger();
    EXPECT_TRUE(modal);
    EXPECT_EQ(transientParent, main);
    EXPECT_EQ(ConfigForm->parentWidget(), nullptr);
}

// Screens of the sizes the tool windows must fit on, some with a panel.
struct TScreen {
    const char* Name;
    QRect Room; // the available area
};
const TScreen Screens[] = {
    {"1280x1024", QRect(0, 0, 1280, 1024)},
    {"1366x768 with a panel below", QRect(0, 0, 1366, 738)},
    {"1920x1080 with a panel above", QRect(0, 28, 1920, 1052)},
};

TEST_F(ToolWindowsTest, FirstShowsLeaveTheScreenAndStatusBarInViewOnEachScreenSize) {
    for (const TScreen& screen : Screens) {
        SCOPED_TRACE(screen.Name);
        Start(screen.Room);
        // The main window opens at the top left, where it leaves the most room.
        EXPECT_EQ(MainForm->frameGeometry().topLeft(), screen.Room.topLeft());
        const QRect keep = ScreenAndStatusBar();

        MainForm->TB_Debug->trigger();
        MainForm->TB_IOMON->trigger();
        MainForm->TB_Disk->trigger();
        std::vector<std::pair<QString, QRect>> frames;
        for (const QWidget* window : {(QWidget*)DebugForm, (QWidget*)IOForm, (QWidget*)FloppyForm})
            frames.emplace_back(Name(window), window->frameGeometry());
        frames.emplace_back("options", OptionsFrame());

        for (const auto& [name, frame] : frames) {
            SCOPED_TRACE(name.toStdString());
            EXPECT_TRUE(screen.Room.contains(frame)) << "off the screen: " << testing::PrintToString(frame);
            EXPECT_FALSE(frame.intersects(keep))
                << testing::PrintToString(frame) << " covers " << testing::PrintToString(keep);
        }
        // Where the screen has room for all of them, they cover one another neither.
        if (screen.Room.height() < 1024) continue;
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = i + 1; j < 3; ++j)
                EXPECT_FALSE(frames[i].second.intersects(frames[j].second))
                    << frames[i].first.toStdString() << " and " << frames[j].first.toStdString();
    }
}

TEST_F(ToolWindowsTest, WhereverTheUserPutTheMainWindowTheOtherSidesServe) {
    const QRect room(0, 0, 1920, 1080);
    const struct {
        const char* name;
        QPoint corner; // where the main window's frame is moved before the tool windows open
    } places[] = {
        {"in the middle", QPoint(639, 290)},
        {"at the bottom right", QPoint(1278, 581)},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.name);
        Start(room);
        MainForm->move(place.corner);
        const QRect keep = ScreenAndStatusBar();
        MainForm->TB_Debug->trigger();
        MainForm->TB_Disk->trigger();
        MainForm->TB_IOMON->trigger();
        for (const QWidget* window : {(QWidget*)DebugForm, (QWidget*)FloppyForm, (QWidget*)IOForm}) {
            SCOPED_TRACE(Name(window).toStdString());
            const QRect frame = window->frameGeometry();
            EXPECT_TRUE(room.contains(frame)) << testing::PrintToString(frame);
            EXPECT_FALSE(frame.intersects(keep)) << testing::PrintToString(frame);
        }
    }
}

std::int64_t Overlap(const QRect& a, const QRect& b) {
    const QRect both = a & b;
    return both.isEmpty() ? 0 : std::int64_t{both.width()} * both.height();
}

// The main window's menu items and tool buttons on the desktop, by name.
std::vector<std::pair<QString, QRect>> MenuItemsAndToolButtons() {
    std::vector<std::pair<QString, QRect>> controls;
    QMenuBar* const bar = MainForm->MainMenu1;
    for (QAction* action : bar->actions())
        if (action->isVisible())
            controls.emplace_back(action->text(),
                                  QRect(bar->mapToGlobal(bar->actionGeometry(action).topLeft()),
                                        bar->actionGeometry(action).size()));
    for (QAction* action : MainForm->ToolBar->actions())
        if (const QWidget* button = MainForm->ToolBar->widgetForAction(action);
            qobject_cast<const QToolButton*>(button))
            controls.emplace_back(action->objectName(),
                                  QRect(button->mapToGlobal(QPoint(0, 0)), button->size()));
    return controls;
}

// The name of a menu item or tool button that `frame` covers; empty when it covers none.
std::string CoveredControl(const QRect& frame, const std::vector<std::pair<QString, QRect>>& controls) {
    for (const auto& [name, control] : controls)
        if (frame.intersects(control)) return name.toStdString();
    return {};
}

// What a frame covers of the emulated screen and status bar, and of the
// windows open before it.
struct TCover {
    std::int64_t Screen = 0, Windows = 0;
    bool operator==(const TCover&) const = default;
    auto operator<=>(const TCover&) const = default;
};
void PrintTo(const TCover& c, std::ostream* os) { *os << "screen " << c.Screen << ", windows " << c.Windows; }
TCover Cover(const QRect& frame, const QRect& keep, const std::vector<QRect>& open) {
    TCover cover{Overlap(frame, keep), 0};
    for (const QRect& o : open)
        cover.Windows += Overlap(frame, o);
    return cover;
}

// The least cover, screen first, of a frame of `size` in `room` that covers no
// menu item and no tool button, every place tried.
template <typename CoverOf>
TCover LeastCoverClearOfControls(QSize size, const QRect& room,
                                 const std::vector<std::pair<QString, QRect>>& controls,
                                 const CoverOf& coverOf) {
    std::optional<TCover> least;
    for (int x = room.left(); x + size.width() <= room.right() + 1; ++x)
        for (int y = room.top(); y + size.height() <= room.bottom() + 1; ++y) {
            const QRect frame(QPoint(x, y), size);
            if (std::any_of(controls.begin(), controls.end(),
                            [&frame](const auto& control) { return frame.intersects(control.second); }))
                continue;
            const TCover cover = coverOf(frame);
            if (!least || cover < *least) least = cover;
        }
    EXPECT_TRUE(least) << "no place clear of the menus and tool buttons";
    return least.value_or(TCover{});
}

// The main window moved away from the top left, the tool windows opened one
// after another (in two orders): each lies on the screen clear of the menu
// items and the tool buttons, and where the screen leaves room clear of the
// emulated screen and the status bar too, and covers as little of the ones
// open before it as any place there would: none where the room allows. Where
// it must cover something more, the main window's title bar and the empty
// ends of its bars serve before another window.
TEST_F(ToolWindowsTest, MovedAwayFromTheTopLeftToolWindowsTakeTheFreeRoomBeforeCoveringOneAnother) {
    const struct {
        const char* name;
        QRect room;
        std::optional<QPoint> corner; // of the main window's frame; none: in the middle
        bool roomForAll;              // beside the main window for all three
        bool screenClear;             // the emulated screen and status bar can stay clear
    } screens[] = {
        {"1920x1080, at the bottom right", QRect(0, 0, 1920, 1080), QPoint(1270, 540), true, true},
        {"1366x768, right of the middle", QRect(0, 0, 1366, 768), QPoint(720, 260), false, true},
        {"1366x768, at the bottom left", QRect(0, 0, 1366, 768), QPoint(0, 280), false, true},
        // No room beside the main window for the debugger: each window leaves
        // every menu item and tool button uncovered (so that each of them can
        // be brought to the front again) and covers as little of the screen
        // as any such place would, then of the windows open before it.
        {"1366x768, in the middle", QRect(0, 0, 1366, 768), std::nullopt, false, false},
    };
    for (const auto& screen : screens)
        for (const bool floppyFirst : {false, true}) {
            SCOPED_TRACE(screen.name + std::string(floppyFirst ? ", floppy window first" : ""));
            Start(screen.room);
            if (screen.corner)
                MainForm->move(*screen.corner);
            else
                form_style::CenterOnScreen(MainForm);
            const QRect keep = ScreenAndStatusBar();
            const auto controls = MenuItemsAndToolButtons();
            // "&File", "&Control", "&Debug", "&Help" and the nine buttons.
            ASSERT_EQ(controls.size(), 13u);
            std::vector<std::pair<QAction*, QWidget*>> shows = {{MainForm->TB_Debug, DebugForm},
                                                                {MainForm->TB_IOMON, IOForm},
                                                                {MainForm->TB_Disk, FloppyForm}};
            if (floppyFirst) std::reverse(shows.begin(), shows.end());
            std::vector<QRect> open;
            const auto coverOf = [&](const QRect& frame) { return Cover(frame, keep, open); };
            for (const auto& [action, window] : shows) {
                SCOPED_TRACE(Name(window).toStdString());
                action->trigger();
                const QRect frame = window->frameGeometry();
                const TCover cover = coverOf(frame);
                EXPECT_TRUE(screen.room.contains(frame)) << testing::PrintToString(frame);
                EXPECT_EQ(CoveredControl(frame, controls), std::string()) << testing::PrintToString(frame);
                if (screen.screenClear) {
                    EXPECT_EQ(cover.Screen, 0) << testing::PrintToString(frame);
                }
                EXPECT_EQ(cover, LeastCoverClearOfControls(frame.size(), screen.room, controls, coverOf))
                    << testing::PrintToString(frame);
                if (screen.roomForAll) {
                    EXPECT_EQ(cover.Windows, 0);
                }
                open.push_back(frame);
            }
        }
}

TEST_F(ToolWindowsTest, WithoutRoomAWindowStillLiesWhollyOnTheScreenClearOfTheMenusAndToolButtons) {
    // Too small for anything beside the main window.
    const QRect room(0, 0, 800, 600);
    Start(room);
    const auto controls = MenuItemsAndToolButtons();
    MainForm->TB_Debug->trigger();
    MainForm->TB_IOMON->trigger();
    MainForm->TB_Disk->trigger();
    for (const QRect& frame :
         {DebugForm->frameGeometry(), IOForm->frameGeometry(), FloppyForm->frameGeometry(), OptionsFrame()}) {
        EXPECT_TRUE(room.contains(frame)) << testing::PrintToString(frame);
        EXPECT_EQ(CoveredControl(frame, controls), std::string()) << testing::PrintToString(frame);
    }
}

TEST_F(ToolWindowsTest, AWindowOpensAgainWhereTheUserLeftIt) {
    const QRect room(0, 0, 1280, 1024);
    Start(room);
    const std::pair<QAction*, QWidget*> shows[] = {
        {MainForm->TB_Debug, DebugForm}, {MainForm->TB_IOMON, IOForm}, {MainForm->TB_Disk, FloppyForm}};
    for (const auto& [action, window] : shows) {
        SCOPED_TRACE(Name(window).toStdString());
        action->trigger();
        const QPoint first = window->frameGeometry().topLeft();
        // Closed and opened again: where it was, though the main window moved.
        window->hide();
        MainForm->move(300, 200);
        action->trigger();
        EXPECT_EQ(window->frameGeometry().topLeft(), first);
        // Moved by the user, closed and opened again: where the user left it,
        // even over the main window's screen.
        window->move(100, 150);
        window->hide();
        action->trigger();
        EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(100, 150));
        window->hide();
        MainForm->move(0, 0);
    }
    // The options window the same.
    const QRect options = OptionsFrame();
    ConfigForm->move(40, 50);
    EXPECT_EQ(OptionsFrame().topLeft(), QPoint(40, 50));
    EXPECT_NE(options.topLeft(), QPoint(40, 50));
}

} // namespace
