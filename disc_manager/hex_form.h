// THexForm: the window that shows one sector's bytes in hex and as text.
#pragma once

#include "ui_hex_form.h"

#include <QWidget>

class THexForm : public QWidget, public Ui::THexForm {
    Q_OBJECT

  public:
    explicit THexForm(QWidget* parent = nullptr);
    ~THexForm() override;
};
