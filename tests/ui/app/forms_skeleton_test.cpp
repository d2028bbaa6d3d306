// The debugger, options, floppy, tape and about windows as they are created:
// caption and size, the window global, and every control by its object name
// with its caption and initial state, lying inside its parent.
#include "fixtures/qt_test_app.h"

#include "ui/app/about_box.h"
#include "ui/app/config_form.h"
#include "ui/app/debug_form.h"
#include "ui/app/floppy_form.h"
#include "ui/app/tape_form.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <optional>
#include <vector>

namespace {

enum State { Plain = 0, Checked = 1, Unchecked = 2, Disabled = 4 };

struct Control {
    QByteArray Name;
    std::optional<QString> Caption; // text or title; nullopt: not checked
    int Flags = Plain;              // Disabled: the control itself is disabled
};

// The text a control shows: a group's title, a button's or label's caption, an edit's text.
std::optional<QString> CaptionOf(const QWidget* w) {
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    return std::nullopt;
}

template <class T> T* Find(const QWidget& form, const QByteArray& name) {
    auto* found = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name.constData();
    return found;
}

void ExpectControls(const QWidget& form, const std::vector<Control>& table) {
    for (const Control& c : table) {
        SCOPED_TRACE(c.Name.constData());
        const QWidget* w = Find<QWidget>(form, c.Name);
        if (!w) continue;
        if (c.Caption) {
            EXPECT_EQ(CaptionOf(w), c.Caption);
        }
        if (c.Flags & (Checked | Unchecked)) {
            auto* b = qobject_cast<const QAbstractButton*>(w);
            EXPECT_TRUE(b && b->isChecked() == ((c.Flags & Checked) != 0)) << "check state";
        }
        EXPECT_EQ(w->isEnabledTo(w->parentWidget()), (c.Flags & Disabled) == 0);
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
            << "lies outside its parent: " << w->geometry().x() << "," << w->geometry().y();
    }
}

// The window global is set by the constructor; caption and client size.
template <class Form>
void ExpectWindow(const Form* global, const Form& form, const char* caption, QSize size) {
    EXPECT_EQ(global, &form);
    EXPECT_EQ(form.windowTitle(), caption);
    EXPECT_EQ(form.size(), size);
}

bool FixedPitch(const QWidget* w) { return QFontInfo(w->font()).fixedPitch(); }

TEST(FormsSkeleton, DebuggerHasEveryControlAndItsStoppedClock) {
    DebugForm = nullptr;
    TDebugForm form;
    ExpectWindow(DebugForm, form, "Z80 Debugger", QSize(550, 464));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::Tool));

    std::vector<Control> table = {
        {"GrpSource", " Disassembly Listing "},
        {"SourceList", {}},
        {"GrpRegs", " Registers "},
        {"GrpFlags", " Flags "},
        {"GrpMem", " Memory "},
        {"MemoryGrid", {}},
        {"MemoryScroll", {}},
        {"TagSourceTrace", "Follow PC in Source Listing", Unchecked},
        {"GrpControl", " Control "},
        {"BtnStep", "Step Into"},
        {"BtnRun", "Run"},
        {"BtnTrace", "Trace"},
        {"BtnStepOver", "Step Over"},
        {"BtnReset", "Reset"},
        {"LblPri", "Pri"},
        {"LblAlt", "Alt"},
    };
    for (const char* reg : {"AF", "BC", "DE", "HL", "AAF", "ABC", "ADE", "AHL", "IX", "IY", "SP", "PC"})
        table.push_back({QByteArray("Edit") + reg, "FFFF"});
    for (const char* flag : {"S", "Z", "5", "H", "3", "P", "N", "C"}) {
        table.push_back({QByteArray("Flag") + flag, {}, Unchecked});
        table.push_back({QByteArray("FlagA") + flag, {}, Unchecked});
    }
    ExpectControls(form, table);

    // The register labels, primaries and alternates.
    QStringList labels;
    for (QLabel* l : form.GrpRegs->findChildren<QLabel*>())
        labels << l->text();
    for (const char* name : {"AF", "BC", "DE", "HL", "AF'", "BC'", "DE'", "HL'", "IX", "IY", "SP", "PC"})
        EXPECT_TRUE(labels.contains(name)) << name;
    QStringList columns;
    for (QLabel* l : form.GrpFlags->findChildren<QLabel*>())
        columns << l->text();
    for (const char* name : {"S", "Z", "5", "H", "3", "P", "N", "C"})
        EXPECT_TRUE(columns.contains(name)) << name;

    for (QLineEdit* e : {form.EditAF, form.EditAHL, form.EditPC}) {
        EXPECT_EQ(e->maxLength(), 4);
        EXPECT_TRUE(e->font().bold());
        EXPECT_TRUE(FixedPitch(e));
    }
    EXPECT_TRUE(FixedPitch(form.SourceList));
    EXPECT_TRUE(FixedPitch(form.MemoryGrid));

    EXPECT_EQ(form.MemoryGrid->columnCount(), 10);
    EXPECT_EQ(form.MemoryGrid->rowCount(), 8);
    EXPECT_EQ(form.MemoryGrid->columnWidth(1), 20);
    EXPECT_EQ(form.MemoryGrid->rowHeight(0), 18);
    EXPECT_FALSE(form.MemoryGrid->horizontalHeader()->isVisible());
    EXPECT_EQ(form.MemoryGrid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(form.MemoryGrid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(form.MemoryGrid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    EXPECT_EQ(form.MemoryScroll->orientation(), Qt::Vertical);
    EXPECT_EQ(form.MemoryScroll->minimum(), 0);
    EXPECT_EQ(form.MemoryScroll->maximum(), 8184);
    EXPECT_EQ(form.MemoryScroll->pageStep(), 8);
    EXPECT_EQ(form.MemoryScroll->value(), 0);

    EXPECT_EQ(form.CPUTimer.Interval(), 10u);
    EXPECT_FALSE(form.CPUTimer.Enabled());

    EXPECT_EQ(TargetTStates, 80000);
    DebugForm = nullptr;
}

TEST(FormsSkeleton, OptionsHaveEveryControlAndTheSpeedBar) {
    ConfigForm = nullptr;
    TConfigForm form;
    ExpectWindow(ConfigForm, form, "Emulator Options", QSize(424, 327));

    ExpectControls(form, {
                             {"BtnOK", "OK"},
                             {"GrpHardware", " Hardware Options (After Restart) "},
                             {"RamExp", "64k RAM Expansion Fitted", Checked},
                             {"ChkGrp1Present", "Graphics RAM I Fitted", Checked},
                             {"ChkGrp2Present", "Graphics RAM II Fitted", Checked | Disabled},
                             {"GrpGeneral", " General Options "},
                             {"ChkTapePopup", "Popup File Request on Tape Eject", Unchecked | Disabled},
                             {"ChkUnmountTape", "Umount Tape when Idle", Unchecked | Disabled},
                             {"ChkScanDouble", "Double Scanlines", Checked},
                             {"GrpSpeed", " Speed "},
                             {"ChkSpeed", "Automatically Control Emulation Speed", Checked},
                             {"SpeedBar", {}, Disabled},
                             {"GrpSerial", " Serial ", Disabled},
                             {"ChkSerial", {}},
                             {"ComboSerial", {}, Disabled},
                             {"GrpParallel", " Parallel Card ", Disabled},
                             {"ChkParallel", " Fitted (-> LPT1)", Disabled},
                         });
    EXPECT_FALSE(form.ChkSerial->isEnabled()); // inside the disabled group

    EXPECT_EQ(form.SpeedBar->orientation(), Qt::Horizontal);
    EXPECT_EQ(form.SpeedBar->minimum(), 10000);
    EXPECT_EQ(form.SpeedBar->maximum(), 500000);
    EXPECT_EQ(form.SpeedBar->value(), 50000);
    EXPECT_EQ(form.SpeedBar->tickInterval(), 19000);
    EXPECT_EQ(form.SpeedBar->tickPosition(), QSlider::TicksBelow);

    ASSERT_EQ(form.ComboSerial->count(), 8);
    EXPECT_EQ(form.ComboSerial->itemText(0), "COM1");
    EXPECT_EQ(form.ComboSerial->itemText(7), "COM8");
    EXPECT_EQ(form.ComboSerial->currentText(), "COM1");
    ConfigForm = nullptr;
}

TEST(FormsSkeleton, FloppyWindowHasFourDrivesAndItsOpenDialog) {
    FloppyForm = nullptr;
    TFloppyForm form;
    ExpectWindow(FloppyForm, form, "Floppy Drives", QSize(317, 328));

    std::vector<Control> table = {{"BitBtn1", "OK"}};
    const char* groups[] = {" Drive 1/A ", " Drive 2/B ", " Drive 3/C ", " Drive 4/D "};
    for (int drive = 0; drive < 4; ++drive) {
        const QByteArray b = QByteArray::number(3 * drive + 1),
                         label = "Label" + QByteArray::number(drive + 1);
        const QByteArray buttons[] = {"Button" + b, "Button" + QByteArray::number(3 * drive + 2),
                                      "Button" + QByteArray::number(3 * drive + 3)};
        table.push_back({label, "NOT MOUNTED"});
        table.push_back({buttons[0], "Mount"});
        table.push_back({buttons[1], "UnMount"});
        table.push_back({buttons[2], "Create Disk", Disabled});

        auto* l = Find<QLabel>(form, label);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->parentWidget()->property("title").toString(), groups[drive]);
        EXPECT_TRUE(l->alignment().testFlag(Qt::AlignRight));
        EXPECT_TRUE(l->font().bold());
        EXPECT_TRUE(FixedPitch(l));
        for (const QByteArray& name : buttons) {
            auto* button = Find<QAbstractButton>(form, name);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->property("Tag"), QVariant(drive)) << name.constData();
            EXPECT_EQ(button->parentWidget(), l->parentWidget()) << name.constData();
        }
    }
    ExpectControls(form, table);

    EXPECT_EQ(form.OpenDialog.Title, "Mount Disk Image");
    EXPECT_EQ(form.OpenDialog.Filter, "Disk Images (*.dsk)|*.dsk");
    FloppyForm = nullptr;
}

TEST(FormsSkeleton, TapeWindowHasItsPlaylist) {
    TapeForm = nullptr;
    TTapeForm form;
    ExpectWindow(TapeForm, form, "Tape Playlist Editor", QSize(457, 323));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::Tool));

    ExpectControls(form, {
                             {"GroupBox1", " Playlist Items "},
                             {"BitBtn1", "&Add"},
                             {"BitBtn2", "&Remove"},
                             {"BitBtn3", "Move &Up"},
                             {"BitBtn4", "Move &Down"},
                             {"BitBtn5", "D&one"},
                             {"ListView1", {}},
                         });
    const QStringList columns = {"Index", "Filename", "Size", "Type", "Start", "End", "Jump"};
    ASSERT_EQ(form.ListView1->columnCount(), columns.size());
    for (int c = 0; c < columns.size(); ++c)
        EXPECT_EQ(form.ListView1->horizontalHeaderItem(c)->text(), columns[c]);
    EXPECT_EQ(form.ListView1->columnWidth(1), 150);
    EXPECT_EQ(form.ListView1->columnWidth(2), 90);
    EXPECT_TRUE(
        Qt::Alignment(form.ListView1->horizontalHeaderItem(2)->textAlignment()).testFlag(Qt::AlignRight));
    EXPECT_TRUE(
        Qt::Alignment(form.ListView1->horizontalHeaderItem(6)->textAlignment()).testFlag(Qt::AlignHCenter));
    EXPECT_EQ(form.ListView1->rowCount(), 0);
    EXPECT_EQ(form.ListView1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(form.ListView1->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(form.ListView1->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(form.ListView1->showGrid());
    EXPECT_TRUE(FixedPitch(form.ListView1));
    TapeForm = nullptr;
}

TEST(FormsSkeleton, AboutBoxHasItsLogoAndLabels) {
    AboutBox = nullptr;
    TAboutBox form;
    ExpectWindow(AboutBox, form, "About the Software", QSize(356, 203));

    ExpectControls(form, {
                             {"Logo", {}},
                             {"LblProdName", "Varnel QJ-47R Emulator"},
                             {"LblProdVer", {}},
                             {"LblNotice", {}},
                             {"LblDisclaimer", {}},
                             {"Bevel1", {}},
                             {"BtnOK", "OK"},
                         });
    EXPECT_EQ(form.Logo->size(), QSize(131, 129));
    EXPECT_EQ(form.Logo->pixmap().size(), QSize(131, 129));
    EXPECT_TRUE(form.LblProdName->font().bold());
    EXPECT_TRUE(form.LblProdVer->font().bold());
    EXPECT_FALSE(form.LblNotice->text().isEmpty());
    EXPECT_TRUE(form.LblDisclaimer->wordWrap());
    EXPECT_FALSE(form.LblDisclaimer->font().bold());
    EXPECT_EQ(form.Bevel1->frameShape(), QFrame::HLine);
    AboutBox = nullptr;
}

} // namespace
