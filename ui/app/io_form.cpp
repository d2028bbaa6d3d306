#include "ui/app/io_form.h"

#include "platform_qt/guarded.h"
#include "ui/app/form_style.h"
#include "ui/app/main_form.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>

TIOForm* IOForm = nullptr;

TIOForm::TIOForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setupUi(this);
    setFixedSize(size());

    setFont(form_style::FormFont());
    IOLog->setFont(form_style::FixedFont("Monospac821 BT", 12));
    IOLog->setMaximumBlockCount(static_cast<int>(MaxLogLines));
    // A line too long for the memo goes on below, even where it has no space.
    IOLog->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    PiaA = {PIA_A0, PIA_A1, PIA_A2, PIA_A3, PIA_A4, PIA_A5, PIA_A6, PIA_A7};
    PiaB = {PIA_B0, PIA_B1, PIA_B2, PIA_B3, PIA_B4, PIA_B5, PIA_B6, PIA_B7};
    PiaC = {PIA_C0, PIA_C1, PIA_C2, PIA_C3, PIA_C4, PIA_C5, PIA_C6, PIA_C7};
    PioA = {PIO_A0, PIO_A1, PIO_A2, PIO_A3, PIO_A4, PIO_A5, PIO_A6, PIO_A7};
    PioB = {PIO_B0, PIO_B1, PIO_B2, PIO_B3, PIO_B4, PIO_B5, PIO_B6, PIO_B7};
    PioADir = {PIOAD0, PIOAD1, PIOAD2, PIOAD3, PIOAD4, PIOAD5, PIOAD6, PIOAD7};
    PioBDir = {PIOBD0, PIOBD1, PIOBD2, PIOBD3, PIOBD4, PIOBD5, PIOBD6, PIOBD7};

    LaterFlush.setSingleShot(true);
    connect(&LaterFlush, &QTimer::timeout, this, platform_qt::Guarded(this, &TIOForm::FlushLog));

    connect(BtnOK, &QPushButton::clicked, this, platform_qt::Guarded(this, &TIOForm::BtnOKClick));
    form_style::KeepAbove(this, MainForm);
}

TIOForm::~TIOForm() = default;

void TIOForm::showEvent(QShowEvent* event) {
    if (MainForm)
        form_style::PlaceBeside(this, MainForm, MainForm->ToolWindowKeepClear(), form_style::TSide::Below);
    QWidget::showEvent(event);
}

QColor TIOForm::ButtonFace() const { return palette().color(QPalette::Button); }

void TIOForm::ShowBits(const LampRow& lamps, std::uint8_t value, const QColor& on, const QColor& off) {
    for (int n = 0; n < 8; ++n)
        lamps[n]->SetColor(value >> n & 1 ? on : off);
}

void TIOForm::ShowPPIPortA(std::uint8_t value) { ShowBits(PiaA, value, Red, ButtonFace()); }
void TIOForm::ShowPPIPortB(std::uint8_t value) { ShowBits(PiaB, value, Blue, ButtonFace()); }
void TIOForm::ShowPPIPortC(std::uint8_t value) { ShowBits(PiaC, value, Red, ButtonFace()); }

void TIOForm::ShowPIOPortA(std::uint8_t direction, std::uint8_t data) {
    ShowBits(PioADir, direction, Red, Blue);
    ShowBits(PioA, data, Red, ButtonFace());
}

void TIOForm::ShowPIOPortB(std::uint8_t direction, std::uint8_t data) {
    ShowBits(PioBDir, direction, Red, Blue);
    ShowBits(PioB, data, Blue, ButtonFace());
}

void TIOForm::ShowFDCStatus(const std::uint8_t registers[6]) {
    FDCMotor->setText(QString::asprintf("%04X", registers[4]));
    FDCHead->setText(QString::asprintf("%04X", registers[5]));
    FDCTrack->setText(QString::asprintf("%04X", registers[1]));
    FDCSector->setText(QString::asprintf("%04X", registers[2]));
}

void TIOForm::SetIOLabel(int index, const std::string& text) {
    QLabel* const labels[] = {Label8, Label9, Label10};
    if (index >= 8 && index <= 10) labels[index - 8]->setText(QString::fromStdString(text));
}

void TIOForm::AppendLog(const std::string& line) {
    PendingLog.Append(line);
    // Lines logged outside a slice (a menu command, a stopped machine) still
    // reach the memo once the event loop runs again.
    if (!LaterFlush.isActive()) LaterFlush.start(0);
}

void TIOForm::FlushLog() {
    if (PendingLog.Size() == 0) return;
    if (SinceLastEdit.isValid()) {
        const qint64 waitNs = 3 * LastEditNs - SinceLastEdit.nsecsElapsed();
        if (waitNs > 0) {
            LaterFlush.start(static_cast<int>(waitNs / 1000000 + 1));
            return;
        }
    }
    LaterFlush.stop();
    QElapsedTimer edit;
    edit.start();
    AppendPendingLines();
    LastEditNs = edit.nsecsElapsed();
    SinceLastEdit.start();
}

void TIOForm::AppendPendingLines() {
    std::string text;
    for (const std::string& line : PendingLog.Contents())
        (text += line) += '\n';
    text.pop_back();
    const int added = static_cast<int>(PendingLog.Size());
    PendingLog.Clear();

    // The memo's own bound would drop the oldest lines one by one, and far
    // more slowly than one removal of them all.
    QTextDocument* memo = IOLog->document();
    const int kept = memo->isEmpty() ? 0 : memo->blockCount();
    const int dropped = std::max(0, kept + added - static_cast<int>(MaxLogLines));
    QScrollBar* bar = IOLog->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    const int top = bar->value();
    if (dropped > 0 && dropped == kept) {
        IOLog->clear();
    } else if (dropped > 0) {
        QTextCursor oldest(memo);
        oldest.setPosition(memo->findBlockByNumber(dropped).position(), QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
    // The memo follows the end while scrolled there; scrolled back, it keeps
    // showing the same lines while older ones are dropped.
    IOLog->appendPlainText(QString::fromStdString(text));
    if (!following) bar->setValue(std::max(0, top - dropped));
}

void TIOForm::BtnOKClick() { close(); }
