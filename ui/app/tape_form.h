// TTapeForm: the tape playlist editor. Nothing fills its list and nothing in
// the program shows it; "D&one" closes it.
#pragma once

#include "ui_tape_form.h"

#include <QDialog>

class QShowEvent;

class TTapeForm : public QDialog, public Ui::TTapeForm {
    Q_OBJECT

  public:
    explicit TTapeForm(QWidget* parent = nullptr);
    ~TTapeForm() override;

    // "D&one": closes the window.
    void BitBtn5Click();

  protected:
    void showEvent(QShowEvent* event) override;
};

// Set when the program creates its windows.
extern TTapeForm* TapeForm;
