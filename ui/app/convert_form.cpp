#include "ui/app/convert_form.h"

#include "platform_qt/guarded.h"
#include "platform_qt/message_box.h"
#include "ui/app/form_style.h"
#include "ui/wav/wav_conversion.h"

#include <QKeyEvent>
#include <QStyle>

TConvertForm* ConvertForm = nullptr;

TConvertForm::TConvertForm(QWidget* parent) : QDialog(parent) {
    setupUi(this);
    // A tool window of a fixed size with only a close box in its small caption.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(313, 362);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    OpenDialog.Title = "Select Source File";
    OpenDialog.Filter = "WAV File|*.wav";
    OpenDialog.DefaultExt = "wav";
    SaveDialog.Title = "Select Destination File";
    SaveDialog.Filter = "Varnel QJF File|*.qjf";
    SaveDialog.DefaultExt = "qjf";

    Decoder.OnMemoLine = [this](const std::string& line) {
        InfoMemo->appendPlainText(QString::fromStdString(line));
    };

    connect(BtnSrc, &QPushButton::clicked, this, platform_qt::Guarded(this, &TConvertForm::BtnSrcClick));
    connect(BtnDest, &QPushButton::clicked, this, platform_qt::Guarded(this, &TConvertForm::BtnDestClick));
    connect(BitBtn1, &QPushButton::clicked, this, platform_qt::Guarded(this, &TConvertForm::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, platform_qt::Guarded(this, &TConvertForm::BitBtn2Click));
    connect(Button1, &QPushButton::clicked, this, platform_qt::Guarded(this, &TConvertForm::Button1Click));
}

TConvertForm::~TConvertForm() = default;

void TConvertForm::BtnSrcClick() {
    if (OpenDialog.Execute(this)) EditSrc->setText(OpenDialog.FileName);
}

void TConvertForm::BtnDestClick() {
    if (SaveDialog.Execute(this)) EditDest->setText(SaveDialog.FileName);
}

void TConvertForm::BitBtn1Click() {
    const TWavRunResult result =
        RunWavConversion(Decoder, EditSrc->text().toStdString(), EditDest->text().toStdString());
    if (result.Message)
        platform_qt::MessageBox(this, QString::fromStdString(result.Message->Text),
                                QString::fromStdString(result.Message->Caption), result.Message->Flags);
}

void TConvertForm::BitBtn2Click() { close(); }

void TConvertForm::Button1Click() { InfoMemo->clear(); }

void TConvertForm::showEvent(QShowEvent* event) {
    // Centred on the screen each time it is shown, not over the window that opened it.
    form_style::CenterOnScreen(this);
    QDialog::showEvent(event);
}

void TConvertForm::keyPressEvent(QKeyEvent* event) {
    // The window has no Cancel button: Escape does not close it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
