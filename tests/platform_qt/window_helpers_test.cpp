// The window helpers of platform_qt: message boxes, guarded handlers and the open dialog.
#include "fixtures/qt_test_app.h"

#include "fixtures/temp_dir.h"
#include "platform/exceptions.h"
#include "platform_qt/guarded.h"
#include "platform_qt/message_box.h"
#include "platform_qt/open_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QTest>
#include <fstream>

namespace {

TEST(MessageBoxTest, RecorderCapturesRequestsAnswersAndRestoresThePreviousPresenter) {
    platform_qt::ScopedMessageBoxRecorder outer;
    {
        platform_qt::ScopedMessageBoxRecorder inner(platform_qt::IDNO);
        EXPECT_EQ(platform_qt::MessageBox(nullptr, "Please select files first", "Error", 0x30),
                  platform_qt::IDNO);
        ASSERT_EQ(inner.Shown().size(), 1u);
        EXPECT_EQ(inner.Shown()[0].text, "Please select files first");
        EXPECT_EQ(inner.Shown()[0].caption, "Error");
        EXPECT_EQ(inner.Shown()[0].flags, platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
    }
    EXPECT_EQ(platform_qt::MessageBox(nullptr, "second", "Caption", platform_qt::MB_OK), platform_qt::IDOK);
    ASSERT_EQ(outer.Shown().size(), 1u);
    EXPECT_EQ(outer.Shown()[0].text, "second");
}

class Handlers : public QObject {
  public:
    void Throwing() { throw platform::EFOpenError("/no/such.dsk"); }
    void Counting(int step) { Count += step; }
    int Count = 0;
};

TEST(GuardedTest, AnExceptionFromAHandlerBecomesAMessageBoxAndTheProgramGoesOn) {
    platform_qt::ScopedMessageBoxRecorder boxes;
    Handlers h;
    auto throwing = platform_qt::Guarded(&h, &Handlers::Throwing);
    auto counting = platform_qt::Guarded(&h, &Handlers::Counting);
    throwing();
    throwing();
    counting(3);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Cannot open file /no/such.dsk");
    EXPECT_EQ(boxes.Shown()[0].caption, QGuiApplication::applicationDisplayName());
    EXPECT_EQ(boxes.Shown()[0].flags, platform_qt::EXCEPTION_BOX_FLAGS);
    EXPECT_EQ(h.Count, 3);
}

class ThrowingReceiver : public QObject {
  protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw platform::EReadError();
        return QObject::event(e);
    }
};

TEST(GuardedTest, TheApplicationShowsAnExceptionEscapingAnEventHandler) {
    platform_qt::ScopedMessageBoxRecorder boxes;
    ThrowingReceiver receiver;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&receiver, &event));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Stream read error");
}

TEST(OpenDialogTest, PatternsMatchInAnyLetterCase) {
    struct Case {
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {"*.dsk", "*.[dD][sS][kK]"},
        {"*.BIN", "*.[bB][iI][nN]"},
        {"*.[ab]1", "*.[ab]1"},
        {"*", "*"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform_qt::CaselessPattern(c.pattern), c.expected) << c.pattern;

    platform_qt::TOpenDialog dialog;
    dialog.Filter = "Varnel QJ Images (*.qjf)|*.qjf|Binary Images (*.bin)|*.bin|"
                    "Supported Images (*.qjf;*.bin)|*.qjf;*.bin";
    EXPECT_EQ(
        dialog.NameFilters(),
        QStringList({"Varnel QJ Images (*.qjf) (*.[qQ][jJ][fF])", "Binary Images (*.bin) (*.[bB][iI][nN])",
                     "Supported Images (*.qjf;*.bin) (*.[qQ][jJ][fF] *.[bB][iI][nN])"}));
}

TEST(OpenDialogTest, TheDialogListsBothCasesOfTheExtensionAndShowsTheDescriptionAsGiven) {
    fixtures::TempDir dir;
    for (const char* name : {"a.dsk", "B.DSK", "c.Dsk", "d.txt", "e.dskx"})
        std::ofstream(dir.File(name)) << "x";

    platform_qt::TOpenDialog open;
    open.Title = "Load Disk Image";
    open.Filter = "Disk Image File (*.DSK)|*.dsk";
    open.InitialDir = QString::fromStdString(dir.Path.string());
    std::unique_ptr<QFileDialog> dialog(open.CreateFileDialog(nullptr));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // Match as native dialogs do, case-sensitively: the patterns must cover the cases themselves.
    dialog->setFilter(dialog->filter() | QDir::CaseSensitive);
    EXPECT_EQ(dialog->windowTitle(), "Load Disk Image");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);

    auto* model = dialog->findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    dialog->show();
    // The model fills its rows from a thread of its own, the folder's parents
    // first: wait for the folder's own rows, then let any late ones arrive.
    const QModelIndex folder = model->index(open.InitialDir);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(folder) >= 3; }, 5000));
    QTest::qWait(100);
    QStringList shown;
    for (int row = 0; row < model->rowCount(folder); ++row)
        shown << model->index(row, 0, folder).data().toString();
    shown.sort();
    EXPECT_EQ(shown, QStringList({"B.DSK", "a.dsk", "c.Dsk"}));

    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(types->currentText(), "Disk Image File (*.DSK)");
}

TEST(OpenDialogTest, ExecuteTakesTheChosenFileAndKeepsTheOldNameWhenCancelled) {
    platform_qt::TOpenDialog open;
    open.FileName = "old.dsk";
    std::optional<QString> answer;
    auto previous = platform_qt::SetOpenDialogPresenter(
        [&](QWidget*, const platform_qt::TOpenDialog&) { return answer; });
    EXPECT_FALSE(open.Execute(nullptr));
    EXPECT_EQ(open.FileName, "old.dsk");
    answer = "/discs/new.DSK";
    EXPECT_TRUE(open.Execute(nullptr));
    EXPECT_EQ(open.FileName, "/discs/new.DSK");
    platform_qt::SetOpenDialogPresenter(previous);
}

} // namespace
