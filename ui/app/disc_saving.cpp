#include "ui/app/disc_saving.h"

#include "machine/dsk_handler.h"
#include "machine/qj47r.h"
#include "platform/rescue.h"
#include "platform_qt/message_box.h"
#include "platform_qt/open_dialog.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <exception>

namespace {

bool NoQuestions = false;

constexpr const char* SaveCaption = "Save Disk Image";

QString Native(const std::string& text) { return QString::fromStdString(text); }

QString DriveName(int drive) { return QString("drive %1").arg(QChar('A' + drive)); }

// Lets the user name another file for the image; true when it was written
// there. failure says why not when the write failed, and is empty otherwise.
bool SaveAs(QWidget* parent, TVirtualDsk& disc, std::string& failure) {
    failure.clear();
    platform_qt::TSaveDialog dialog;
    dialog.Title = "Save Disk Image As";
    dialog.Filter = "Disk Images (*.dsk)|*.dsk";
    dialog.DefaultExt = "dsk";
    const QFileInfo current(Native(disc.FileName));
    dialog.InitialDir = current.absolutePath();
    dialog.FileName = current.fileName();
    if (!dialog.Execute(parent)) return false;
    try {
        disc.SaveAs(QFile::encodeName(dialog.FileName).toStdString());
        return true;
    } catch (const std::exception& e) {
        failure = e.what();
        return false;
    }
}

} // namespace

void EndWithoutQuestions() { NoQuestions = true; }
void AllowQuestionsAgain() { NoQuestions = false; }

TDriveSettlement SettleDrive(QWidget* parent, TDskHandler& fdc, int drive, bool mayKeep) {
    fdc.WriteBack.Settle();
    TVirtualDsk& disc = fdc.Drives[drive];
    bool changed = false;
    std::string failure;
    auto save = [&](bool overwrite) {
        try {
            overwrite ? disc.Overwrite() : disc.Save();
            return true;
        } catch (const EDiscChangedError& e) {
            changed = true;
            failure = e.what();
        } catch (const std::exception& e) {
            changed = false;
            failure = e.what();
        }
        return false;
    };
    if (!disc.IsMounted() || !disc.Modified || save(false)) return TDriveSettlement::Saved;

    // Retry (or Overwrite) always tries the drive's own file, which the box
    // names; a Save As that failed is told beside it.
    std::string saveAsFailure;
    for (;;) {
        if (NoQuestions) return TDriveSettlement::Unanswered;
        QStringList choices = {changed ? "Overwrite" : "Retry", "Save As...", "Discard"};
        if (mayKeep) choices << "Cancel";
        QString text =
            changed
                ? QString(
                      "The disk image in %1 was changed by another program since the emulator read it:\n%2")
                      .arg(DriveName(drive), Native(disc.FileName))
                : QString("The disk image in %1 could not be saved:\n%2")
                      .arg(DriveName(drive), Native(failure));
        if (!saveAsFailure.empty())
            text +=
                QString("\n\nIt could not be saved as another file either:\n%1").arg(Native(saveAsFailure));
        text += changed
                    ? "\n\nOverwrite the file with the machine's copy, save the machine's copy as another "
                      "file, or discard what the machine wrote to it?"
                    : "\n\nThe machine's writes to it are kept until you retry, save them as another file "
                      "or discard them.";
        const int answer = platform_qt::AskChoice(parent, text, SaveCaption, choices);
        if (NoQuestions) return TDriveSettlement::Unanswered; // the box was closed by the ending
        switch (answer) {
        case 0:
            saveAsFailure.clear();
            if (save(changed)) return TDriveSettlement::Saved;
            break;
        case 1:
            if (SaveAs(parent, disc, saveAsFailure)) return TDriveSettlement::Saved;
            break;
        case 2: disc.Modified = 0; return TDriveSettlement::Discarded;
        case 3:
            if (mayKeep) return TDriveSettlement::Kept;
            break;
        default: break; // closed without an answer: asked again
        }
    }
}

int SaveBeforeExit(QWidget* parent, TQJ47R& machine) {
    TDskHandler& fdc = machine.Fdc;
    for (int d = 0; d < 4 && !NoQuestions; ++d)
        SettleDrive(parent, fdc, d, false);
    // Whatever is still unsaved now could not be asked about: it is rescued.
    const std::vector<TDiscRescue> rescues = fdc.UnmountAll();
    int status = rescues.empty() ? 0 : 1;
    if (const std::string failure = machine.WriteSettings(); !failure.empty()) {
        std::fprintf(stderr, "qj47r: %s\n", failure.c_str());
        if (NoQuestions)
            status = 1;
        else
            platform_qt::MessageBox(parent, Native(failure), "Save Settings",
                                    platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
    }
    return status;
}

void ShowEarlierRescues(QWidget* parent) {
    const std::vector<platform::TRescueNote> notes = platform::TakeUnreportedRescues();
    if (notes.empty()) return;
    QStringList kept, gone;
    for (const platform::TRescueNote& note : notes)
        (note.Gone ? gone : kept)
            << (note.Image.empty()
                    ? Native(note.Copy)
                    : QString("%1\n    the machine's copy of %2").arg(Native(note.Copy), Native(note.Image)));
    QString text = "When the emulator last ended, these disk images could not be saved to their files.";
    if (!kept.isEmpty())
        text += QString("\n\nThe machine's copies were kept here:\n\n%1\n\n"
                        "Mount a copy to go on with it, or copy it over the original.")
                    .arg(kept.join('\n'));
    if (!gone.isEmpty())
        text += QString("\n\n%1 no longer there (deleted or moved since, or emptied from the temporary "
                        "folder by a restart):\n\n%2")
                    .arg(kept.isEmpty() ? "The machine's copies are" : "These copies are", gone.join('\n'));
    platform_qt::MessageBox(parent, text, "Rescued Disk Images",
                            platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
}
