// TConfigForm: the emulator's options. The hardware check boxes hold the
// machine's settings (the main window's GetOptions and SetOptions move them),
// and ChkSpeed with SpeedBar is the speed control that the debugger reads on
// every tick. The main window shows it modally, above itself; BtnOK closes
// it with OK.
#pragma once

#include "ui_config_form.h"

#include <QDialog>

class QShowEvent;

class TConfigForm : public QDialog, public Ui::TConfigForm {
    Q_OBJECT

  public:
    explicit TConfigForm(QWidget* parent = nullptr);
    ~TConfigForm() override;

    // SpeedBar is enabled exactly when ChkSpeed is not ticked.
    void ChkSpeedClick();

  protected:
    // The first show places the window to the right of the main window, or
    // where else it leaves the emulated screen in view.
    void showEvent(QShowEvent* event) override;
};

// Set when the program creates its windows.
extern TConfigForm* ConfigForm;
