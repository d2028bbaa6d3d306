// The WAV to QJF wizard: its controls and dialogs, a decoding run on one of our
// recordings through the window, the message boxes of a run that cannot start
// or a file that is not a WAV recording, and how the window closes.
#include "fixtures/qt_test_app.h"

#include "../wav_test_support.h"
#include "fixtures/file_faults.h"
#include "platform_qt/message_box.h"
#include "platform_qt/open_dialog.h"
#include "ui/app/convert_form.h"
#include "ui/wav/wav_conversion.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>

namespace {

QStringList MemoLines(const TConvertForm& form) {
    const QString text = form.InfoMemo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

// The memo lines of a run of the library alone, for comparison.
QStringList LibraryRunLines(const std::string& source, const std::string& dest) {
    TWavDecoder decoder;
    QStringList lines;
    decoder.OnMemoLine = [&](const std::string& line) { lines << QString::fromStdString(line); };
    RunWavConversion(decoder, source, dest);
    return lines;
}

// Answers the window's open and save dialogs and remembers how they were set up.
class DialogAnswers {
  public:
    DialogAnswers() {
        previous_ = platform_qt::SetOpenDialogPresenter([this](QWidget*, const platform_qt::TOpenDialog& d) {
            (d.ForSaving ? SaveTitle : OpenTitle) = d.Title;
            return d.ForSaving ? Save : Open;
        });
    }
    ~DialogAnswers() { platform_qt::SetOpenDialogPresenter(previous_); }
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;

    std::optional<QString> Open, Save;
    QString OpenTitle, SaveTitle;

  private:
    platform_qt::OpenDialogPresenter previous_;
};

class ConvertFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ConvertForm = &Form;
        Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
    void TearDown() override { ConvertForm = nullptr; }

    std::string Save(const std::vector<std::uint8_t>& bytes, const std::string& name = "tape.wav") {
        const std::string path = Dir.File(name);
        fixtures::WriteBytes(path, bytes);
        return path;
    }
    // Chooses the source through the "..." button, as the user would.
    void ChooseSource(const std::string& path) {
        Dialogs.Open = QString::fromStdString(path);
        QTest::mouseClick(Form.BtnSrc, Qt::LeftButton);
    }
    void Process() { QTest::mouseClick(Form.BitBtn1, Qt::LeftButton); }

    fixtures::TempDir Dir;
    platform_qt::ScopedMessageBoxRecorder Boxes;
    DialogAnswers Dialogs;
    TConvertForm Form;
};

// A short recording of our tape: its header is all a run reads.
std::vector<std::uint8_t> TapeRecording(const fixtures::WavSignal& signal = {.Noise = 3}) {
    return fixtures::TapeWav(fixtures::TapeLevels(wavtest::TestTape(), 6), signal);
}

TEST_F(ConvertFormTest, TheWindowHasItsCaptionControlsAndDialogs) {
    TConvertForm fresh;
    EXPECT_EQ(fresh.windowTitle(), "WAV to QJF Conversion Wizard");
    EXPECT_TRUE(fresh.windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(fresh.minimumSize(), QSize(313, 362));
    EXPECT_EQ(fresh.maximumSize(), QSize(313, 362));

    EXPECT_EQ(fresh.GrpSource->title(), " Source WAV File ");
    EXPECT_EQ(fresh.GrpDest->title(), " Destination QJF File ");
    EXPECT_EQ(fresh.GrpInfo->title(), " Information ");
    EXPECT_EQ(fresh.EditSrc->parentWidget(), fresh.GrpSource);
    EXPECT_EQ(fresh.EditDest->parentWidget(), fresh.GrpDest);
    EXPECT_EQ(fresh.InfoMemo->parentWidget(), fresh.GrpInfo);
    EXPECT_EQ(fresh.EditSrc->text(), "");
    EXPECT_EQ(fresh.EditDest->text(), "l");
    EXPECT_TRUE(fresh.EditSrc->isReadOnly());
    EXPECT_TRUE(fresh.EditDest->isReadOnly());
    EXPECT_TRUE(fresh.InfoMemo->isReadOnly());
    EXPECT_EQ(fresh.InfoMemo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(fresh.InfoMemo->toPlainText().isEmpty());
    EXPECT_EQ(fresh.BtnSrc->text(), "...");
    EXPECT_EQ(fresh.BtnDest->text(), "...");
    EXPECT_EQ(fresh.BitBtn1->text(), "&Process");
    EXPECT_TRUE(fresh.BitBtn1->isDefault());
    EXPECT_EQ(fresh.BitBtn2->text(), "&Close");
    EXPECT_FALSE(fresh.BitBtn2->icon().isNull());
    EXPECT_EQ(fresh.Button1->text(), "Button1");
    for (const char* name : {"GrpSource", "EditSrc", "BtnSrc", "GrpDest", "EditDest", "BtnDest", "GrpInfo",
                             "InfoMemo", "BitBtn1", "BitBtn2", "Button1"})
        EXPECT_NE(fresh.findChild<QWidget*>(name), nullptr) << name;

    EXPECT_EQ(fresh.OpenDialog.Title, "Select Source File");
    EXPECT_EQ(fresh.OpenDialog.Filter, "WAV File|*.wav");
    EXPECT_EQ(fresh.OpenDialog.DefaultExt, "wav");
    EXPECT_FALSE(fresh.OpenDialog.ForSaving);
    EXPECT_EQ(fresh.SaveDialog.Title, "Select Destination File");
    EXPECT_EQ(fresh.SaveDialog.Filter, "Varnel QJF File|*.qjf");
    EXPECT_EQ(fresh.SaveDialog.DefaultExt, "qjf");
    EXPECT_TRUE(fresh.SaveDialog.ForSaving);

    // The decoder starts zeroed.
    EXPECT_EQ(fresh.Decoder.Threshold, 0);
    EXPECT_EQ(fresh.Decoder.ShortDelay, 0);
    EXPECT_EQ(fresh.Decoder.LongDelay, 0);
    EXPECT_EQ(fresh.Decoder.Stream, nullptr);

    // Every control lies inside the client area.
    for (QWidget* w : fresh.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(QRect(0, 0, 313, 362).contains(w->geometry())) << w->objectName().toStdString();
    EXPECT_EQ(Form.grab().size(), QSize(313, 362));
}

TEST_F(ConvertFormTest, TheFileButtonsFillTheEditsOnlyWhenConfirmed) {
    QTest::mouseClick(Form.BtnSrc, Qt::LeftButton);
    QTest::mouseClick(Form.BtnDest, Qt::LeftButton);
    EXPECT_EQ(Form.EditSrc->text(), "");
    EXPECT_EQ(Form.EditDest->text(), "l");
    EXPECT_EQ(Dialogs.OpenTitle, "Select Source File");
    EXPECT_EQ(Dialogs.SaveTitle, "Select Destination File");

    Dialogs.Open = "/tapes/GAME.wav";
    Dialogs.Save = "/tapes/game.qjf";
    QTest::mouseClick(Form.BtnSrc, Qt::LeftButton);
    QTest::mouseClick(Form.BtnDest, Qt::LeftButton);
    EXPECT_EQ(Form.EditSrc->text(), "/tapes/GAME.wav");
    EXPECT_EQ(Form.EditDest->text(), "/tapes/game.qjf");

    // Cancelling later keeps the names chosen.
    Dialogs.Open.reset();
    Dialogs.Save.reset();
    QTest::mouseClick(Form.BtnSrc, Qt::LeftButton);
    QTest::mouseClick(Form.BtnDest, Qt::LeftButton);
    EXPECT_EQ(Form.EditSrc->text(), "/tapes/GAME.wav");
    EXPECT_EQ(Form.EditDest->text(), "/tapes/game.qjf");
    EXPECT_TRUE(Boxes.Shown().empty());
}

TEST_F(ConvertFormTest, ProcessDecodesTheRecordingIntoTheMemoAndWritesNoFile) {
    const std::string source = Save(TapeRecording());
    const std::string dest = Dir.File("game.qjf");
    ChooseSource(source);
    Dialogs.Save = QString::fromStdString(dest);
    QTest::mouseClick(Form.BtnDest, Qt::LeftButton);
    Process();

    EXPECT_TRUE(Boxes.Shown().empty());
    const QStringList lines = MemoLines(Form);
    EXPECT_EQ(lines, LibraryRunLines(source, dest));
    ASSERT_EQ(lines.size(), 9 + 17 * 9 + 1 + 3);
    EXPECT_EQ(lines[0], "Opened WAV File");
    EXPECT_EQ(lines[1], "Finding Start of Data");
    EXPECT_TRUE(lines[2].startsWith("HF starting from "));
    EXPECT_TRUE(lines[3].startsWith("LF starting from "));
    EXPECT_TRUE(lines[4].startsWith("ShortDelay is "));
    EXPECT_TRUE(lines[5].startsWith("HF continues from "));
    EXPECT_TRUE(lines[6].startsWith("LongDelay is "));
    EXPECT_EQ(lines[7], "Ready to read");
    EXPECT_TRUE(lines[8].startsWith("Start bit is sample "));
    EXPECT_TRUE(lines[9].startsWith("LongDelay is "));
    for (int i = 10; i < 18; ++i)
        EXPECT_TRUE(lines[i].startsWith("read ")) << lines[i].toStdString();
    EXPECT_EQ(lines[18], "File Type is 1");
    EXPECT_EQ(lines[lines.size() - 3], "QJ47R WAV TEST..");
    EXPECT_EQ(lines[lines.size() - 2], "Convert Complete");
    EXPECT_EQ(lines.back(), QString::fromStdString("No file was written to " + dest));
    EXPECT_FALSE(std::filesystem::exists(dest));
    EXPECT_EQ(Form.Decoder.Stream, nullptr);
}

TEST_F(ConvertFormTest, RunsAddToTheMemoUntilButton1EmptiesIt) {
    ChooseSource(Save(TapeRecording({.Bits = 8, .Channels = 2, .Offset = 6, .Noise = 4})));
    Process();
    const QStringList first = MemoLines(Form);
    ASSERT_EQ(first.size(), 9 + 17 * 9 + 1 + 3);
    EXPECT_EQ(first[first.size() - 2], "Convert Complete");
    EXPECT_EQ(first.back(), "No file was written to l");

    Process();
    EXPECT_EQ(MemoLines(Form), first + first);

    QTest::mouseClick(Form.Button1, Qt::LeftButton);
    EXPECT_TRUE(Form.InfoMemo->toPlainText().isEmpty());
    Process();
    EXPECT_EQ(MemoLines(Form), first);
    EXPECT_TRUE(Boxes.Shown().empty());
}

TEST_F(ConvertFormTest, ProcessWithoutASourceAsksForTheFiles) {
    Process();
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_EQ(Boxes.Shown()[0].text, "Please select files first");
    EXPECT_EQ(Boxes.Shown()[0].caption, "Error");
    EXPECT_EQ(Boxes.Shown()[0].flags, 0x30u);
    EXPECT_TRUE(Form.InfoMemo->toPlainText().isEmpty());
}

TEST_F(ConvertFormTest, FilesThatCannotBeDecodedShowTheirMessage) {
    const auto good = TapeRecording();
    const std::string missing = Dir.File("gone.wav");
    // Only the lead-in: the recording ends before any long pulse.
    const auto leadIn = fixtures::TapeWav(fixtures::TapeLevels(wavtest::TestTape(), 1), {});
    const std::string zero = Dir.File("zero.wav"), huge = Dir.File("huge.wav");
    std::filesystem::create_symlink("/dev/zero", zero);
    ASSERT_TRUE(fixtures::MakeSparseFile(huge, TWavDecoder::MaxFileSize + 1));
    struct Case {
        const char* name;
        std::string source;
        std::optional<platform_qt::MessageBoxRequest> box;
        QStringList memo; // the whole memo, or its last lines when the run got under way
    };
    const Case cases[] = {
        {"truncated header",
         Save({good.begin(), good.begin() + 30}, "short.wav"),
         platform_qt::MessageBoxRequest{"Failed to load wav file", "Invalid WAV File", 0x30},
         {"The file is shorter than a WAV header (44 bytes)"}},
        {"24-bit samples",
         Save(
             [&] {
                 auto w = good;
                 w[34] = 24;
                 return w;
             }(),
             "24bit.wav"),
         platform_qt::MessageBoxRequest{"Failed to load wav file", "Invalid WAV File", 0x30},
         {"Samples of 24 bits are not read: 8 or 16 bits only"}},
        {"no such file",
         missing,
         platform_qt::MessageBoxRequest{
             QString::fromStdString("Cannot open file " + missing + ": No such file or directory"),
             QGuiApplication::applicationDisplayName(), platform_qt::EXCEPTION_BOX_FLAGS},
         {}},
        {"device",
         zero,
         platform_qt::MessageBoxRequest{
             QString::fromStdString("Cannot open file " + zero + ": it is a device, not a regular file"),
             QGuiApplication::applicationDisplayName(), platform_qt::EXCEPTION_BOX_FLAGS},
         {}},
        {"read error",
         "/proc/self/mem",
         platform_qt::MessageBoxRequest{"Cannot read file /proc/self/mem: Input/output error",
                                        QGuiApplication::applicationDisplayName(),
                                        platform_qt::EXCEPTION_BOX_FLAGS},
         {}},
        {"larger than a RIFF file",
         huge,
         platform_qt::MessageBoxRequest{"Failed to load wav file", "Invalid WAV File", 0x30},
         {"The file is 4294967304 bytes long, more than a WAV file can hold (4294967303 bytes: RIFF sizes "
          "are 32-bit)"}},
        {"lead-in only", Save(leadIn, "lead.wav"), std::nullopt, {"No file was written to l"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(Form.Button1, Qt::LeftButton);
        Boxes.Clear();
        ChooseSource(c.source);
        Process();
        if (c.box) {
            ASSERT_EQ(Boxes.Shown().size(), 1u);
            EXPECT_EQ(Boxes.Shown()[0].text, c.box->text);
            EXPECT_EQ(Boxes.Shown()[0].caption, c.box->caption);
            EXPECT_EQ(Boxes.Shown()[0].flags, c.box->flags);
            EXPECT_EQ(MemoLines(Form), c.memo);
        } else {
            EXPECT_TRUE(Boxes.Shown().empty());
            const QStringList lines = MemoLines(Form);
            ASSERT_GE(lines.size(), 2);
            EXPECT_TRUE(lines[lines.size() - 2].startsWith("End of WAV data at byte "))
                << lines[lines.size() - 2].toStdString();
            EXPECT_EQ(lines.back(), c.memo.back());
            EXPECT_FALSE(lines.contains("Convert Complete"));
        }
        EXPECT_EQ(Form.Decoder.Stream, nullptr);
        EXPECT_TRUE(Form.isVisible());
    }
}

TEST_F(ConvertFormTest, TheCloseButtonEndsTheModalRunAndTheWindowKeepsItsContents) {
    Form.hide();
    ChooseSource(Save(TapeRecording()));
    Process();
    const QString memo = Form.InfoMemo->toPlainText();
    ASSERT_FALSE(memo.isEmpty());

    bool closedByEscape = true;
    QTimer::singleShot(0, &Form, [&] {
        // No Cancel button: Escape leaves the window open.
        QTest::keyClick(&Form, Qt::Key_Escape);
        closedByEscape = !Form.isVisible();
        QTest::mouseClick(Form.BitBtn2, Qt::LeftButton);
    });
    EXPECT_EQ(Form.exec(), QDialog::Rejected);
    EXPECT_FALSE(closedByEscape);
    EXPECT_FALSE(Form.isVisible());

    // Shown again, it holds what it held.
    Form.show();
    EXPECT_EQ(Form.EditSrc->text(), QString::fromStdString(Dir.File("tape.wav")));
    EXPECT_EQ(Form.InfoMemo->toPlainText(), memo);
    EXPECT_TRUE(Boxes.Shown().empty());
}

TEST(ConvertFormPlacement, TheWindowIsCentredOnTheScreenNotOverTheWindowThatOpensIt) {
    QWidget owner;
    owner.setGeometry(10, 10, 200, 150);
    owner.show();
    TConvertForm form(&owner);
    QPoint centre, screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QTimer::singleShot(0, &form, [&] {
        centre = form.frameGeometry().center();
        form.BitBtn2Click();
    });
    form.exec();
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2) << centre.x() << "," << centre.y();
}

} // namespace
