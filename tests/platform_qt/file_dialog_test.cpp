// The save dialog of platform_qt and the default extension of the file dialogs.
#include "fixtures/qt_test_app.h"

#include "fixtures/temp_dir.h"
#include "platform_qt/open_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <fstream>
#include <memory>

namespace {

platform_qt::TSaveDialog QjfDialog(const fixtures::TempDir& dir) {
    platform_qt::TSaveDialog save;
    save.Title = "Select Destination File";
    save.Filter = "Varnel QJF File|*.qjf";
    save.DefaultExt = "qjf";
    save.InitialDir = QString::fromStdString(dir.Path.string());
    return save;
}

std::unique_ptr<QFileDialog> QtDialog(const platform_qt::TSaveDialog& save) {
    std::unique_ptr<QFileDialog> dialog(save.CreateFileDialog(nullptr));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}

// Presses the dialog's Save button, as a user would after typing the name.
void Accept(QFileDialog& dialog) { QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection); }

TEST(SaveDialogTest, ATypedNameGetsTheDefaultExtensionAndNeedNotExist) {
    fixtures::TempDir dir;
    auto dialog = QtDialog(QjfDialog(dir));
    EXPECT_EQ(dialog->windowTitle(), "Select Destination File");
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
    EXPECT_TRUE(dialog->isSizeGripEnabled());
    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(types->currentText(), "Varnel QJF File");

    dialog->show();
    dialog->selectFile("game");
    Accept(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->selectedFiles(), QStringList({QString::fromStdString(dir.File("game.qjf"))}));
}

TEST(SaveDialogTest, AnExistingFileIsChosenOnlyWhenTheUserAgreesToReplaceIt) {
    fixtures::TempDir dir;
    std::ofstream(dir.File("old.qjf")) << "x";
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        auto dialog = QtDialog(QjfDialog(dir));
        dialog->show();
        dialog->selectFile("old.qjf");
        QString question;
        QTimer::singleShot(0, dialog.get(), [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            question = box->text();
            box->button(answer)->click();
        });
        Accept(*dialog);
        EXPECT_TRUE(question.contains("old.qjf")) << question.toStdString();
        EXPECT_EQ(dialog->result(), answer == QMessageBox::Yes ? QDialog::Accepted : QDialog::Rejected);
    }
}

TEST(SaveDialogTest, ExecuteTakesTheChosenNameAndKeepsTheOldOneWhenCancelled) {
    fixtures::TempDir dir;
    platform_qt::TSaveDialog save = QjfDialog(dir);
    save.FileName = "old.qjf";
    std::optional<QString> answer;
    QString title;
    bool forSaving = false;
    auto previous = platform_qt::SetOpenDialogPresenter([&](QWidget*, const platform_qt::TOpenDialog& d) {
        title = d.Title;
        forSaving = d.ForSaving;
        return answer;
    });
    EXPECT_FALSE(save.Execute(nullptr));
    EXPECT_EQ(save.FileName, "old.qjf");
    answer = "/tapes/new.qjf";
    EXPECT_TRUE(save.Execute(nullptr));
    EXPECT_EQ(save.FileName, "/tapes/new.qjf");
    EXPECT_EQ(title, "Select Destination File");
    EXPECT_TRUE(forSaving);
    platform_qt::SetOpenDialogPresenter(previous);
}

TEST(OpenDialogTest, TheDefaultExtensionIsTheDialogsSuffix) {
    platform_qt::TOpenDialog open;
    open.Filter = "WAV File|*.wav";
    std::unique_ptr<QFileDialog> dialog(open.CreateFileDialog(nullptr));
    EXPECT_EQ(dialog->defaultSuffix(), "");
    open.DefaultExt = "wav";
    dialog.reset(open.CreateFileDialog(nullptr));
    EXPECT_EQ(dialog->defaultSuffix(), "wav");
}

} // namespace
