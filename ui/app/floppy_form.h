// TFloppyForm: mounts and unmounts disc image files in the four drives of the
// machine's disc controller. Each drive has a group with the label of the file
// mounted through this window and the buttons "Mount", "UnMount" and "Create
// Disk"; the buttons carry their drive (0 for A to 3 for D) in the dynamic
// property "Tag". Shown without being modal.
#pragma once

#include "platform_qt/open_dialog.h"
#include "ui_floppy_form.h"

#include <QDialog>

class QShowEvent;

class TFloppyForm : public QDialog, public Ui::TFloppyForm {
    Q_OBJECT

  public:
    explicit TFloppyForm(QWidget* parent = nullptr);
    ~TFloppyForm() override;

    // "Mount" of the drive in Sender's Tag: chooses a file and mounts it.
    void Button1Click(QObject* Sender);
    // "UnMount" of the drive in Sender's Tag.
    void Button2Click(QObject* Sender);
    // "Create Disk" (disabled): nothing.
    void Button3Click(QObject* Sender);
    // OK: closes the window.
    void BitBtn1Click();

    // What a drive's label shows: "NOT MOUNTED", or the path of the mounted
    // file, elided in the middle to fit, the whole path in its tool tip.
    void SetDriveLabel(int drive, const QString& fullPathOrNotMounted);
    static constexpr const char* NotMounted = "NOT MOUNTED";

    // Title "Mount Disk Image", disc images only.
    platform_qt::TOpenDialog OpenDialog;

  protected:
    // The first show places the window to the right of the main window (below
    // the debugger when it is open there), or where else it leaves the
    // emulated screen in view.
    void showEvent(QShowEvent* event) override;

  private:
    // Label1 to Label4 for drives 0 to 3.
    QLabel* DriveLabel(int drive) const;
};

// Set when the program creates its windows.
extern TFloppyForm* FloppyForm;
