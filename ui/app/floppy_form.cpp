#include "ui/app/floppy_form.h"

#include "machine/disc/dsk_damage.h"
#include "machine/qj47r.h"
#include "platform_qt/guarded.h"
#include "platform_qt/message_box.h"
#include "ui/app/disc_saving.h"
#include "ui/app/form_style.h"
#include "ui/app/main_form.h"

#include <QFile>
#include <QPushButton>
#include <QStringList>
#include <array>
#include <filesystem>
#include <system_error>

TFloppyForm* FloppyForm = nullptr;

TFloppyForm::TFloppyForm(QWidget* parent) : QDialog(parent) {
    FloppyForm = this;
    setupUi(this);
    setFixedSize(size());
    setFont(form_style::FormFont());
    for (QLabel* label : {Label1, Label2, Label3, Label4}) {
        label->setFont(form_style::FixedFont("Monospac821 BT", 11, true));
        label->setTextFormat(Qt::PlainText); // a file name is never markup
    }

    OpenDialog.Title = "Mount Disk Image";
    OpenDialog.Filter = "Disk Images (*.dsk)|*.dsk";

    // Each button hands itself to the handler its kind shares, as the sender.
    const auto bind = [this](QPushButton* button, void (TFloppyForm::*handler)(QObject*)) {
        connect(button, &QPushButton::clicked, this, [this, button, handler] {
            platform_qt::RunGuarded(this, [&] { (this->*handler)(button); });
        });
    };
    for (QPushButton* button : {Button1, Button4, Button7, Button10})
        bind(button, &TFloppyForm::Button1Click);
    for (QPushButton* button : {Button2, Button5, Button8, Button11})
        bind(button, &TFloppyForm::Button2Click);
    for (QPushButton* button : {Button3, Button6, Button9, Button12})
        bind(button, &TFloppyForm::Button3Click);
    connect(BitBtn1, &QPushButton::clicked, this, platform_qt::Guarded(this, &TFloppyForm::BitBtn1Click));
    form_style::KeepAbove(this, MainForm);
}

TFloppyForm::~TFloppyForm() = default;

void TFloppyForm::showEvent(QShowEvent* event) {
    if (MainForm)
        form_style::PlaceBeside(this, MainForm, MainForm->ToolWindowKeepClear(), form_style::TSide::Right);
    QDialog::showEvent(event);
}

namespace {

// The drive in the sender's "Tag": 0 for A to 3 for D; -1 without one.
int DriveOf(const QObject* sender) {
    bool ok = false;
    const int drive = sender ? sender->property("Tag").toInt(&ok) : -1;
    return ok && drive >= 0 && drive < 4 ? drive : -1;
}

// Whether two names reach the same file: the same file system object (links
// included), or the same resolved path where one of them no longer exists.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    const auto resolvedA = std::filesystem::weakly_canonical(a, error);
    if (error) return false;
    const auto resolvedB = std::filesystem::weakly_canonical(b, error);
    return !error && resolvedA == resolvedB;
}

} // namespace

QLabel* TFloppyForm::DriveLabel(int drive) const {
    const std::array<QLabel*, 4> labels = {Label1, Label2, Label3, Label4};
    return labels[drive];
}

void TFloppyForm::SetDriveLabel(int drive, const QString& fullPathOrNotMounted) {
    if (drive < 0 || drive >= 4) return;
    QLabel* const label = DriveLabel(drive);
    const bool mounted = fullPathOrNotMounted != NotMounted;
    // A path too long for the label keeps its start and its file name.
    label->setText(label->fontMetrics().elidedText(fullPathOrNotMounted, Qt::ElideMiddle,
                                                   label->contentsRect().width()));
    label->setToolTip(mounted ? fullPathOrNotMounted : QString());
}

void TFloppyForm::Button1Click(QObject* Sender) {
    const int drive = DriveOf(Sender);
    if (drive < 0 || !Machine) return;
    // The program may have ended while the dialog was open.
    if (!OpenDialog.Execute(this) || !Machine) return;
    const std::string fileName = QFile::encodeName(OpenDialog.FileName).toStdString();
    // Each drive saves its own copy of its image: with one file in two drives,
    // the later save would drop the other drive's writes.
    for (int other = 0; other < 4; ++other) {
        const TVirtualDsk& disc = Machine->Fdc.Drives[other];
        if (other != drive && disc.IsMounted() && SameFile(disc.FileName, fileName)) {
            platform_qt::MessageBox(this,
                                    QString("The disk image %1 is already mounted in drive %2.")
                                        .arg(OpenDialog.FileName, QChar('A' + other)),
                                    "Mount Disk Image", platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
            return;
        }
    }
    // The writes to the image the drive holds are settled before it goes (saved
    // or discarded); a cancel keeps it.
    const TDriveSettlement settled = SettleDrive(this, Machine->Fdc, drive, true);
    if (settled == TDriveSettlement::Kept || settled == TDriveSettlement::Unanswered || !Machine) return;
    // A file that cannot be read raises here and leaves the drive and its label as they were.
    Machine->Fdc.Mount(drive, fileName, 0);
    SetDriveLabel(drive, OpenDialog.FileName);
    // Any file mounts; what the machine will not find on it, and writes that
    // cannot go back to it, are told now, in one box.
    const TVirtualDsk& disc = Machine->Fdc.Drives[drive];
    QStringList notes;
    const std::string damage =
        DamageMessage(QString("The disk image %1 is not a well-formed disc image of the layout the machine "
                              "reads: it reads the image as far as it goes, and may find nothing on it.")
                          .arg(OpenDialog.FileName)
                          .toStdString(),
                      DamageReport(disc, TDiscReader::Machine));
    if (!damage.empty()) notes << QString::fromStdString(damage);
    if (disc.ReadOnlySinceLoad)
        notes << QString("The disk image %1 is read-only: the machine's writes to it cannot be "
                         "saved to it. They are kept while it is mounted, and you can save them "
                         "as another file when it is unmounted or the emulator ends.")
                     .arg(OpenDialog.FileName);
    if (!notes.isEmpty())
        platform_qt::MessageBox(this, notes.join("\n\n"), "Mounted Disk Image",
                                platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
}

void TFloppyForm::Button2Click(QObject* Sender) {
    const int drive = DriveOf(Sender);
    if (drive < 0) return;
    // A modified image is saved here; where that fails the user decides, and
    // may keep it mounted.
    if (Machine) {
        const TDriveSettlement settled = SettleDrive(this, Machine->Fdc, drive, true);
        if (settled == TDriveSettlement::Kept || settled == TDriveSettlement::Unanswered || !Machine) return;
        Machine->Fdc.Unmount(drive);
    }
    SetDriveLabel(drive, NotMounted);
}

void TFloppyForm::Button3Click(QObject*) {}

void TFloppyForm::BitBtn1Click() { accept(); }
