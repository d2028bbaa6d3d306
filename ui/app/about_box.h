// TAboutBox: the emulator's name, version, a notice and a disclaimer beside
// its logo. The version label is filled each time the box is shown.
#pragma once

#include "ui_about_box.h"

#include <QDialog>

class QShowEvent;

class TAboutBox : public QDialog, public Ui::TAboutBox {
    Q_OBJECT

  public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    // OK: closes the box.
    void BtnOKClick();
    // Each time the box is shown: the version label.
    void DoShow();

  protected:
    void showEvent(QShowEvent* event) override;
};

// Set when the program creates its windows.
extern TAboutBox* AboutBox;
