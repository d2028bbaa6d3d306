// The I/O monitor: its lamps and labels as the machine's calls leave them,
// grabbed as pixels, and the log memo that takes each slice's lines in one edit,
// keeps the newest, wraps long lines and lets the user copy but not type.
#include "fixtures/qt_test_app.h"

#include "fixtures/program_machine.h"
#include "gfx/gfx_test_support.h" // starts the graphics library for the machine
#include "platform_qt/lamp.h"
#include "ui/app/io_form.h"
#include "ui/app/io_form_services.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <functional>

namespace {

using platform_qt::TLamp;

class IOFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        IOForm = &Form;
        Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
    void TearDown() override { IOForm = nullptr; }

    // One letter per lamp as the window shows it, bit 7 first: R red, B blue,
    // '-' button face, '?' anything else.
    std::string Lamps(const QString& prefix) {
        const QImage shot = Form.grab().toImage();
        std::string seen;
        for (int n = 7; n >= 0; --n) {
            auto* lamp = Form.findChild<TLamp*>(prefix + QString::number(n));
            if (!lamp) return "no lamp " + (prefix + QString::number(n)).toStdString();
            const QColor c = shot.pixelColor(lamp->mapTo(&Form, lamp->rect().center()));
            seen += c == TIOForm::Red ? 'R' : c == TIOForm::Blue ? 'B' : c == Form.ButtonFace() ? '-' : '?';
        }
        return seen;
    }
    std::vector<std::string> MemoLines() const {
        std::vector<std::string> lines;
        if (Form.IOLog->document()->isEmpty()) return lines;
        for (QTextBlock b = Form.IOLog->document()->firstBlock(); b.isValid(); b = b.next())
            lines.push_back(b.text().toStdString());
        return lines;
    }
    bool MemoHas(const std::string& line) const {
        const auto lines = MemoLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // The line shown at a height of the memo's text area.
    std::string MemoLineAt(int y) const {
        return Form.IOLog->cursorForPosition(QPoint(4, y)).block().text().toStdString();
    }
    // The end of a slice, and of the memo's wait after a long edit.
    void Flush() {
        Form.FlushLog();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Form.PendingLogLines() == 0; }));
    }

    TIOForm Form;
};

TEST_F(IOFormTest, StartsWithEveryLampOffAndTheInitialTexts) {
    EXPECT_EQ(Form.windowTitle(), "IOForm");
    EXPECT_EQ(Form.size(), QSize(452, 377));
    for (const char* row : {"PIA_A", "PIA_B", "PIA_C", "PIO_A", "PIO_B", "PIOAD", "PIOBD"})
        EXPECT_EQ(Lamps(row), "--------") << row;
    for (QLabel* label : {Form.FDCMotor, Form.FDCHead, Form.FDCTrack, Form.FDCSector})
        EXPECT_EQ(label->text(), "FF");
    for (QLabel* label : {Form.Label8, Form.Label9, Form.Label10})
        EXPECT_EQ(label->text(), "Label8");
    for (const TLamp* lamp : Form.findChildren<TLamp*>())
        EXPECT_EQ(lamp->size(), QSize(14, 14)) << lamp->objectName().toStdString();
    EXPECT_EQ(Form.findChildren<TLamp*>().size(), 7 * 8 + 6);
    EXPECT_TRUE(MemoLines().empty());
}

TEST_F(IOFormTest, PortLampsShowEachBitInThePortsColours) {
    struct Case {
        std::function<void(TIOForm&)> show;
        const char* row;
        const char* lamps;
    };
    const Case cases[] = {
        {[](TIOForm& f) { f.ShowPPIPortA(0x81); }, "PIA_A", "R------R"},
        {[](TIOForm& f) { f.ShowPPIPortB(0x81); }, "PIA_B", "B------B"},
        {[](TIOForm& f) { f.ShowPPIPortC(0x3C); }, "PIA_C", "--RRRR--"},
        {[](TIOForm& f) { f.ShowPPIPortA(0x00); }, "PIA_A", "--------"},
        {[](TIOForm& f) { f.ShowPIOPortB(0xF0, 0x0F); }, "PIOBD", "RRRRBBBB"},
        {[](TIOForm& f) { f.ShowPIOPortB(0xF0, 0x0F); }, "PIO_B", "----BBBB"},
        {[](TIOForm& f) { f.ShowPIOPortA(0x0F, 0xF0); }, "PIOAD", "BBBBRRRR"},
        {[](TIOForm& f) { f.ShowPIOPortA(0x0F, 0xF0); }, "PIO_A", "RRRR----"},
        {[](TIOForm& f) { f.ShowPIOPortA(0xFF, 0x00); }, "PIOAD", "RRRRRRRR"},
        {[](TIOForm& f) { f.ShowPIOPortA(0xFF, 0x00); }, "PIO_A", "--------"},
    };
    for (const Case& c : cases) {
        c.show(Form);
        EXPECT_EQ(Lamps(c.row), c.lamps) << c.row;
    }
    // Each call sets only its own port's lamps.
    EXPECT_EQ(Lamps("PIA_B"), "B------B");
    EXPECT_EQ(Lamps("PIA_C"), "--RRRR--");
    EXPECT_EQ(Lamps("PIO_B"), "----BBBB");
}

TEST_F(IOFormTest, DiscControllerRegistersShowInUpperCaseHex) {
    const QImage before = Form.GrpFDC->grab().toImage();
    const std::uint8_t registers[6] = {0x80, 0x28, 0x0A, 0x55, 0x21, 0x01};
    Form.ShowFDCStatus(registers);
    EXPECT_EQ(Form.FDCTrack->text(), "0028");
    EXPECT_EQ(Form.FDCSector->text(), "000A");
    EXPECT_EQ(Form.FDCMotor->text(), "0021");
    EXPECT_EQ(Form.FDCHead->text(), "0001");
    // The four digits fit their label and the group shows them.
    for (QLabel* label : {Form.FDCMotor, Form.FDCHead, Form.FDCTrack, Form.FDCSector})
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_NE(Form.GrpFDC->grab().toImage(), before);
}

TEST_F(IOFormTest, SoundLabelsTakeTheirTexts) {
    Form.SetIOLabel(8, "1600");
    Form.SetIOLabel(9, "2000");
    Form.SetIOLabel(10, "3600");
    Form.SetIOLabel(7, "x");
    Form.SetIOLabel(11, "x");
    EXPECT_EQ(Form.Label8->text(), "1600");
    EXPECT_EQ(Form.Label9->text(), "2000");
    EXPECT_EQ(Form.Label10->text(), "3600");
}

TEST_F(IOFormTest, OkClosesTheWindow) {
    QTest::mouseClick(Form.BtnOK, Qt::LeftButton);
    EXPECT_FALSE(Form.isVisible());
}

TEST_F(IOFormTest, TimerGroupNeverChangesWhateverTheProgramDoes) {
    const QImage before = Form.Grp8253->grab().toImage();
    TIOFormServices services; // to IOForm
    fixtures::ProgramMachine machine(
        services, QJ_FIXTURE_ROMS,
        {
            0x3E, 0x34, 0xD3, 0xE7, // ld a,0x34; out (0xE7),a   counter 0: both bytes, mode 2
            0x3E, 0x12, 0xD3, 0xE4, // ld a,0x12; out (0xE4),a
            0xD3, 0xE4,             // out (0xE4),a
            0xDB, 0xE4,             // in a,(0xE4)
            0x3E, 0x82, 0xD3, 0xE3, // ld a,0x82; out (0xE3),a   8255: A out, B in, C out
            0x3E, 0x81, 0xD3, 0xE0, // ld a,0x81; out (0xE0),a
            0xD3, 0x00,             // out (0x00),a              nobody answers (port 0x8100): a log line
            0x76,                   // halt
        });
    for (int slice = 0; slice < 2; ++slice) {
        machine.RunSlice();
        Flush();
    }

    EXPECT_EQ(Lamps("PIA_A"), "R------R") << "the machine's calls reach the window";
    EXPECT_TRUE(MemoHas("Wrote 81 to Port 8100"));
    EXPECT_FALSE(Form.Grp8253->isEnabled());
    EXPECT_EQ(Form.Grp8253->grab().toImage(), before);
    for (QLabel* label : {Form.C0_8253, Form.C1_8253, Form.C2_8253, Form.L0_8253, Form.L1_8253, Form.L2_8253})
        EXPECT_EQ(label->text(), "FFFF");
    for (QLabel* label : {Form.S0_8253, Form.S1_8253, Form.S2_8253})
        EXPECT_EQ(label->text(), "FF");
}

// What the memo's text area shows, without its scroll bar.
QImage MemoPixels(QPlainTextEdit* memo) { return memo->viewport()->grab().toImage(); }

TEST_F(IOFormTest, LogReachesTheMemoWhenTheSliceEnds) {
    const QImage empty = MemoPixels(Form.IOLog);
    for (int i = 0; i < 300; ++i)
        Form.AppendLog("line " + std::to_string(i));
    EXPECT_EQ(Form.PendingLogLines(), 300u);
    EXPECT_EQ(MemoPixels(Form.IOLog), empty) << "nothing shows before the slice ends";

    Form.FlushLog();
    EXPECT_EQ(Form.PendingLogLines(), 0u);
    EXPECT_NE(MemoPixels(Form.IOLog), empty);
    ASSERT_EQ(MemoLines().size(), 300u);
    EXPECT_EQ(MemoLines().front(), "line 0");
    EXPECT_EQ(MemoLines().back(), "line 299");
}

TEST_F(IOFormTest, MemoKeepsTheNewestLinesAndShowsTheLast) {
    // A chatty program: 3000 lines in each of four slices, then one slice of 20000.
    int next = 0;
    for (int slice = 0; slice < 4; ++slice) {
        for (int i = 0; i < 3000; ++i)
            Form.AppendLog("Read from Port " + std::to_string(next++));
        Flush();
    }
    ASSERT_EQ(MemoLines().size(), TIOForm::MaxLogLines);
    EXPECT_EQ(MemoLines().front(), "Read from Port 7000");
    EXPECT_EQ(MemoLines().back(), "Read from Port 11999");

    for (int i = 0; i < 20000; ++i)
        Form.AppendLog("Wrote " + std::to_string(next++));
    EXPECT_EQ(Form.PendingLogLines(), TIOForm::MaxLogLines) << "waiting lines are bounded too";
    Flush();
    ASSERT_EQ(MemoLines().size(), TIOForm::MaxLogLines);
    EXPECT_EQ(MemoLines().front(), "Wrote 27000");
    EXPECT_EQ(MemoLines().back(), "Wrote 31999");
    EXPECT_EQ(Form.IOLog->document()->blockCount(), int(TIOForm::MaxLogLines));

    // The memo shows the last line at its bottom.
    const int bottom = Form.IOLog->viewport()->height() - Form.IOLog->fontMetrics().height() / 2 - 4;
    EXPECT_EQ(MemoLineAt(bottom), "Wrote 31999");
}

// Scrolled back, the memo keeps showing the lines the user reads while newer
// ones come in and older ones are dropped.
TEST_F(IOFormTest, ScrolledBackTheMemoKeepsItsLinesInView) {
    int next = 0;
    const auto slice = [&](int lines) {
        for (int i = 0; i < lines; ++i)
            Form.AppendLog("Wrote " + std::to_string(next++));
        Flush();
    };
    slice(int(TIOForm::MaxLogLines));
    Form.IOLog->verticalScrollBar()->setValue(3000);
    const std::string top = MemoLineAt(4);
    ASSERT_EQ(top, "Wrote 3000");
    slice(100);
    EXPECT_EQ(MemoLineAt(4), top);
    EXPECT_EQ(MemoLines().front(), "Wrote 100");
}

// What the clipboard holds after the user's keys in the memo.
QString CopiedBy(QPlainTextEdit* memo, const QKeySequence& select) {
    QGuiApplication::clipboard()->clear();
    memo->setFocus();
    QTest::keySequence(memo, select);
    QTest::keySequence(memo, QKeySequence::Copy);
    return QGuiApplication::clipboard()->text();
}

TEST_F(IOFormTest, TheUserCanSelectAndCopyTheLogButNotTypeIntoIt) {
    Form.AppendLog("FDC: Command 0b");
    Form.AppendLog("Wrote 81 to Port 8100");
    Flush();
    Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));

    EXPECT_EQ(CopiedBy(Form.IOLog, QKeySequence::SelectAll), "FDC: Command 0b\nWrote 81 to Port 8100");
    // From the end of the log, Shift+Home selects its last line.
    Form.IOLog->moveCursor(QTextCursor::End);
    EXPECT_EQ(CopiedBy(Form.IOLog, QKeySequence::SelectStartOfLine), "Wrote 81 to Port 8100");

    const QString before = Form.IOLog->toPlainText();
    Form.IOLog->moveCursor(QTextCursor::End);
    QTest::keyClicks(Form.IOLog, "xyz");
    QTest::keyClick(Form.IOLog, Qt::Key_Return);
    QTest::keyClick(Form.IOLog, Qt::Key_Backspace);
    QTest::keySequence(Form.IOLog, QKeySequence::SelectAll);
    QTest::keyClick(Form.IOLog, Qt::Key_Delete);
    QTest::keySequence(Form.IOLog, QKeySequence::Cut);
    QGuiApplication::clipboard()->setText("pasted");
    QTest::keySequence(Form.IOLog, QKeySequence::Paste);
    EXPECT_EQ(Form.IOLog->toPlainText(), before);
}

// A line wider than the memo goes on below, with or without spaces to break
// at: no line hides beyond the right edge.
TEST_F(IOFormTest, LongLinesWrap) {
    const std::string lines[] = {
        [] {
            std::string words;
            for (int i = 0; i < 30; ++i)
                words += "Wrote " + std::to_string(i) + " to Port 8100 ";
            return words;
        }(),
        std::string(300, 'F'),
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line.substr(0, 20));
        Form.IOLog->clear();
        Form.AppendLog(line);
        Flush();
        QTextCursor start(Form.IOLog->document()->firstBlock());
        QTextCursor end = start;
        end.movePosition(QTextCursor::EndOfBlock);
        EXPECT_GT(Form.IOLog->cursorRect(end).top(), Form.IOLog->cursorRect(start).top() + 20);
        EXPECT_EQ(Form.IOLog->horizontalScrollBar()->maximum(), 0);
    }
}

TEST_F(IOFormTest, LinesLoggedOutsideASliceReachTheMemoWhenTheEventLoopRuns) {
    Form.AppendLog("Load ROM: 512 bytes past FFFF dropped");
    Form.AppendLog("CMT Motor Engaged");
    QCoreApplication::processEvents();
    EXPECT_EQ(MemoLines(),
              std::vector<std::string>({"Load ROM: 512 bytes past FFFF dropped", "CMT Motor Engaged"}));
    EXPECT_EQ(Form.PendingLogLines(), 0u);
}

// After a long edit the next one waits; its lines come in without another slice.
TEST_F(IOFormTest, LinesThatWaitAfterALongEditReachTheMemoLater) {
    for (int i = 0; i < int(TIOForm::MaxLogLines); ++i)
        Form.AppendLog("Wrote " + std::to_string(i) + " to Port 8100");
    Form.FlushLog();
    Form.AppendLog("the last line");
    Form.FlushLog();
    ASSERT_EQ(Form.PendingLogLines(), 1u) << "the edit right after a long one waits";
    EXPECT_TRUE(QTest::qWaitFor([this] { return Form.PendingLogLines() == 0; }));
    EXPECT_EQ(MemoLines().back(), "the last line");
}

} // namespace
