// TConvertForm: the WAV to QJF wizard. The user picks a WAV recording of a
// cassette tape and a destination name; "&Process" decodes the start of the
// tape with the window's own TWavDecoder and lists every step in InfoMemo.
// The destination file is never written. The main window shows it modally.
#pragma once

#include "platform_qt/open_dialog.h"
#include "ui/wav/wav_decoder.h"
#include "ui_convert_form.h"

#include <QDialog>

class QKeyEvent;
class QShowEvent;

class TConvertForm : public QDialog, public Ui::TConvertForm {
    Q_OBJECT

  public:
    explicit TConvertForm(QWidget* parent = nullptr);
    ~TConvertForm() override;

    void BtnSrcClick();
    void BtnDestClick();
    // "&Process": one decoding run of the chosen source file.
    void BitBtn1Click();
    // Closes the window.
    void BitBtn2Click();
    // Empties InfoMemo.
    void Button1Click();

    platform_qt::TOpenDialog OpenDialog;
    platform_qt::TSaveDialog SaveDialog;
    // Keeps its calibration from one run to the next.
    TWavDecoder Decoder;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Set when the program creates its windows.
extern TConvertForm* ConvertForm;
