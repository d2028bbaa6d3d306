// The floppy window mounting and unmounting fixture disc images in the
// machine's drives (with the open dialog answered by the test), refusing one
// file in two drives, telling at the mount what of an image the machine does
// not read, and its drive labels; the OK buttons of the floppy,
// tape and about windows, and the about box's version line.
#include "fixtures/qt_test_app.h"

#include "fixtures/dsk_builder.h"
#include "machine/board_test_support.h"
#include "platform_qt/message_box.h"
#include "platform_qt/open_dialog.h"
#include "ui/app/about_box.h"
#include "ui/app/floppy_form.h"
#include "ui/app/tape_form.h"

#include <QPushButton>
#include <QTest>
#include <array>
#include <deque>
#include <filesystem>
#include <optional>

namespace {

using platform_qt::MessageBoxRequest;

class FloppyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Machine = &Rig.M();
        Dialog.emplace([this](QWidget*, const platform_qt::TOpenDialog& dialog) {
            Titles.push_back(dialog.Title);
            std::optional<QString> answer;
            if (!Answers.empty()) {
                answer = Answers.front();
                Answers.pop_front();
            }
            return answer;
        });
        fixtures::DskBuilder().Uniform(2, 1, 4, 1).Save(Image.toStdString());
        fixtures::DskBuilder().Uniform(3, 1, 4, 1).Save(Other.toStdString());
    }
    void TearDown() override {
        Dialog.reset();
        Machine = nullptr;
    }

    // Presses a button with the given answer of the open dialog (nullopt: cancelled).
    void Press(QPushButton* button, std::optional<QString> answer = std::nullopt) {
        Answers.push_back(answer);
        button->click();
    }
    const TVirtualDsk& Drive(int d) { return Rig.M().Fdc.Drives[d]; }

    board_test::Rig Rig;
    TFloppyForm Form;
    fixtures::TempDir Dir;
    const QString Image = QString::fromStdString(Dir.File("games.dsk"));
    const QString Other = QString::fromStdString(Dir.File("other.dsk"));
    std::deque<std::optional<QString>> Answers;
    std::optional<testing_qt::ScopedOpenDialog> Dialog;
    QStringList Titles;
    platform_qt::ScopedMessageBoxRecorder Boxes;
};

// The image a drive's label names: a path too long for the label is elided
// there (how much depends on where the temporary folder is) and whole in its
// tool tip.
QString Named(const QLabel* label) { return label->toolTip().isEmpty() ? label->text() : label->toolTip(); }

TEST_F(FloppyTest, MountInDriveCShowsThePathAndUnmountClearsIt) {
    Press(Form.Button7, Image);
    EXPECT_EQ(Titles, QStringList{"Mount Disk Image"});
    EXPECT_EQ(Named(Form.Label3), Image);
    ASSERT_TRUE(Drive(2).IsMounted());
    EXPECT_EQ(Drive(2).FileName, Image.toStdString());
    EXPECT_EQ(Drive(2).RecordCount(), 2);
    for (int d : {0, 1, 3})
        EXPECT_FALSE(Drive(d).IsMounted()) << d;
    for (QLabel* label : {Form.Label1, Form.Label2, Form.Label4})
        EXPECT_EQ(label->text(), "NOT MOUNTED");

    Press(Form.Button8);
    EXPECT_EQ(Form.Label3->text(), "NOT MOUNTED");
    EXPECT_FALSE(Drive(2).IsMounted());
    // Again, with nothing mounted, and in another drive.
    Press(Form.Button8);
    Press(Form.Button2);
    EXPECT_EQ(Form.Label3->text(), "NOT MOUNTED");
    EXPECT_EQ(Form.Label1->text(), "NOT MOUNTED");
    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_EQ(Titles.size(), 1) << "unmounting asks for no file";
}

TEST_F(FloppyTest, CancelledOrUnreadableChoiceLeavesTheDriveAsItWas) {
    Press(Form.Button10, Image);
    Press(Form.Button10); // cancelled
    EXPECT_EQ(Named(Form.Label4), Image);
    EXPECT_EQ(Drive(3).FileName, Image.toStdString());

    const QString missing = QString::fromStdString(Dir.File("missing.dsk"));
    Press(Form.Button10, missing);
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_EQ(Boxes.Shown()[0].text, "Cannot open file " + missing + ": No such file or directory");
    EXPECT_EQ(Named(Form.Label4), Image);
    EXPECT_EQ(Drive(3).FileName, Image.toStdString());
}

TEST_F(FloppyTest, OneFileInTwoDrivesIsRefused) {
    Press(Form.Button7, Image);
    // The same file under other names: through ".", and through a link.
    const QString dotted = QString::fromStdString((Dir.Path / "." / "games.dsk").string());
    const auto link = Dir.Path / "link.dsk";
    std::filesystem::create_symlink(Dir.Path / "games.dsk", link);
    const struct {
        QPushButton* button;
        QString name;
    } attempts[] = {
        {Form.Button1, Image}, {Form.Button4, dotted}, {Form.Button10, QString::fromStdString(link)}};
    for (const auto& a : attempts) {
        SCOPED_TRACE(a.name.toStdString());
        Boxes.Clear();
        Press(a.button, a.name);
        ASSERT_EQ(Boxes.Shown().size(), 1u);
        const MessageBoxRequest& box = Boxes.Shown()[0];
        EXPECT_EQ(box.text, "The disk image " + a.name + " is already mounted in drive C.");
        EXPECT_EQ(box.caption, "Mount Disk Image");
        EXPECT_EQ(box.flags, 0x30u);
    }
    for (int d : {0, 1, 3})
        EXPECT_FALSE(Drive(d).IsMounted()) << d;
    for (QLabel* label : {Form.Label1, Form.Label2, Form.Label4})
        EXPECT_EQ(label->text(), "NOT MOUNTED");
    EXPECT_EQ(Drive(2).FileName, Image.toStdString());

    // The same drive takes its own file again, and another drive another file.
    Boxes.Clear();
    Press(Form.Button7, dotted);
    Press(Form.Button1, Other);
    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_EQ(Named(Form.Label3), dotted);
    EXPECT_EQ(Named(Form.Label1), Other);
    EXPECT_EQ(Drive(0).RecordCount(), 3);
}

// An image the machine cannot read whole still mounts; the box at the mount
// says what of it the machine reads.
TEST_F(FloppyTest, WhatTheMachineDoesNotReadOfAnImageIsToldAtTheMount) {
    auto withByte = [](fixtures::DskBuilder b, std::size_t at, std::uint8_t value) {
        auto bytes = b.Build();
        bytes.at(at) = value;
        return bytes;
    };
    const struct {
        const char* name;
        std::vector<std::uint8_t> image;
        const char* finding;
    } cases[] = {
        {"the standard layout", fixtures::DskBuilder().Standard().Uniform(2, 1, 9, 2).Build(),
         "The image is in the standard DSK layout (\"MV - CPCEMU Disk-File\"), with one size for all its "
         "tracks; the machine reads only the extended layout (\"EXTENDED CPC DSK File\"), with a size for "
         "each track, so it reads no sector of this disc: the disc looks empty."},
        {"more records than slots", withByte(fixtures::DskBuilder().Uniform(2, 1, 2, 1), 0x30, 250),
         "The header describes 250 track records; the machine reads only the first 203."},
        {"more sectors than a track block holds",
         withByte(fixtures::DskBuilder().Uniform(1, 1, 29, 0), 256 + 0x15, 255),
         "Track record 1 lists 255 sectors; the machine reads only the first 29."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fixtures::DskBuilder::Write(Image.toStdString(), c.image);
        Boxes.Clear();
        Press(Form.Button1, Image);
        ASSERT_EQ(Boxes.Shown().size(), 1u);
        const MessageBoxRequest& box = Boxes.Shown()[0];
        EXPECT_EQ(box.caption, "Mounted Disk Image");
        EXPECT_TRUE(box.text.startsWith("The disk image " + Image +
                                        " is not a well-formed disc image of the layout the machine reads"))
            << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(c.finding)) << box.text.toStdString();
        EXPECT_EQ(Drive(0).FileName, Image.toStdString());
        EXPECT_EQ(Named(Form.Label1), Image);
    }
}

TEST_F(FloppyTest, WithoutAMachineMountAsksNothing) {
    Machine = nullptr;
    Press(Form.Button7, Image);
    EXPECT_TRUE(Titles.empty());
    EXPECT_EQ(Form.Label3->text(), "NOT MOUNTED");
}

// A path too long for its label keeps its start and its file name around an
// ellipsis, drawn whole within the label; the tool tip holds the whole path.
TEST_F(FloppyTest, ALongPathIsElidedInTheMiddleAndWholeInTheToolTip) {
    const auto deep = Dir.Path / std::string(40, 'd') / "a folder with a long name";
    std::filesystem::create_directories(deep);
    const QString image = QString::fromStdString((deep / "the games disc of the week.dsk").string());
    fixtures::DskBuilder().Uniform(2, 1, 4, 1).Save(image.toStdString());
    Press(Form.Button4, image);
    ASSERT_TRUE(Drive(1).IsMounted());

    const QLabel* label = Form.Label2;
    EXPECT_EQ(label->toolTip(), image);
    const QString shown = label->text();
    const qsizetype ellipsis = shown.indexOf(QChar(0x2026));
    ASSERT_GT(ellipsis, 0) << shown.toStdString();
    EXPECT_TRUE(image.startsWith(shown.left(ellipsis))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("week.dsk")) << shown.toStdString();
    EXPECT_TRUE(image.endsWith(shown.mid(ellipsis + 1))) << shown.toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());

    Press(Form.Button5);
    EXPECT_EQ(label->text(), "NOT MOUNTED");
    EXPECT_EQ(label->toolTip(), "");
}

TEST_F(FloppyTest, DriveLabelsShowWhatTheyAreGiven) {
    const struct {
        int drive;
        QString given, text, toolTip;
    } cases[] = {
        {0, "/discs/games.dsk", "/discs/games.dsk", "/discs/games.dsk"}, // fits as it is
        {3, "NOT MOUNTED", "NOT MOUNTED", ""},
        {2, "/discs/<b>x</b>.dsk", "/discs/<b>x</b>.dsk", "/discs/<b>x</b>.dsk"}, // not markup
    };
    const std::array<QLabel*, 4> labels = {Form.Label1, Form.Label2, Form.Label3, Form.Label4};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given.toStdString());
        Form.SetDriveLabel(c.drive, c.given);
        const QLabel* label = labels[std::size_t(c.drive)];
        EXPECT_EQ(label->text(), c.text);
        EXPECT_EQ(label->toolTip(), c.toolTip);
        // Drawn as plain text: as wide as its characters.
        EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(c.text));
    }
    // No such drive: no label changes.
    for (int drive : {-1, 4})
        Form.SetDriveLabel(drive, "/discs/other.dsk");
    EXPECT_EQ(Form.Label2->text(), "NOT MOUNTED");
    EXPECT_EQ(Form.Label1->text(), "/discs/games.dsk");
}

TEST(SmallWindows, OkButtonsCloseTheirWindows) {
    TFloppyForm floppy;
    TTapeForm tape;
    TAboutBox about;
    const std::pair<QDialog*, QPushButton*> windows[] = {
        {&floppy, floppy.BitBtn1}, {&tape, tape.BitBtn5}, {&about, about.BtnOK}};
    for (auto [window, ok] : windows) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        ok->click();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Accepted);
    }
    FloppyForm = nullptr;
    TapeForm = nullptr;
    AboutBox = nullptr;
}

TEST(SmallWindows, AboutBoxShowsItsVersionEachTime) {
    TAboutBox about;
    for (int i = 0; i < 2; ++i) {
        about.LblProdVer->setText("");
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        EXPECT_EQ(about.LblProdVer->text(), "Version 2.97 for Win32");
        about.BtnOKClick();
    }
    AboutBox = nullptr;
}

} // namespace
