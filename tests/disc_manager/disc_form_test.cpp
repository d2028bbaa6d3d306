// folbrin's windows: the disc tree, the sector dump, loading and unloading,
// and what damaged images show.
#include "fixtures/qt_test_app.h"

#include "disc_manager/disc_form.h"
#include "disc_manager/disc_manager_globals.h"
#include "disc_manager/hex_form.h"
#include "fixtures/dsk_builder.h"
#include "fixtures/file_faults.h"
#include "fixtures/temp_dir.h"
#include "platform_qt/message_box.h"

#include <QGuiApplication>
#include <QTest>
#include <cctype>
#include <functional>

namespace {

using fixtures::DskBuilder;
using fixtures::DskRecord;
using fixtures::DskSector;

// Texts of a tree, one line per node, indented two blanks per level.
QStringList TreeTexts(QTreeWidget* tree) {
    QStringList lines;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* node, int level) {
        lines << QString(level * 2, u' ') + node->text(0);
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), level + 1);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i), 0);
    return lines;
}

// Three tracks: track 0 with sectors of N = 1, 2, 3; track 1 absent; track 2
// with two sectors whose first starts "AB", a 0x00 and a 0x7F byte.
DskBuilder FixtureImage() {
    std::vector<std::uint8_t> first(256);
    for (int i = 0; i < 256; ++i)
        first[i] = std::uint8_t(i);
    first[0] = 'A';
    first[1] = 'B';
    first[2] = 0x00;
    first[3] = 0x7F;
    DskBuilder b;
    b.Creator("ABCDEFGHIJKLMN").Geometry(3, 1);
    b.Record(
        DskRecord{0, 0, true, {DskSector{1, 1, -1, {}}, DskSector{2, 2, -1, {}}, DskSector{3, 3, -1, {}}}});
    b.Absent(1, 0);
    b.Record(DskRecord{2, 0, true, {DskSector{7, 1, -1, first}, DskSector{8, 1, -1, {}}}});
    return b;
}

const QStringList FixtureTree = {
    "3 Tracks, 1 Heads (ABCDEFGHIJKLMN)",
    "  Track 0 Head 0",
    "    Sector T0 H0 S1 (256bytes)",
    "    Sector T0 H0 S2 (512bytes)",
    "    Sector T0 H0 S3 (1024bytes)",
    "  Track 0 Head 0",
    "  Track 2 Head 0",
    "    Sector T2 H0 S7 (256bytes)",
    "    Sector T2 H0 S8 (256bytes)",
};

class DiscFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HexForm = &Hex;
        DiscForm = &Form;
        Form.show();
        Form.PageControl1->setCurrentWidget(Form.SheetRAW);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
    void TearDown() override {
        VirtualDisk.UnloadImage(1);
        DiscForm = nullptr;
        HexForm = nullptr;
    }

    std::string Save(const std::vector<std::uint8_t>& bytes, const std::string& name = "disc.dsk") {
        const std::string path = Dir.File(name);
        DskBuilder::Write(path, bytes);
        return path;
    }
    void Load(const std::string& path) {
        Form.EditDskName->setText(QString::fromStdString(path));
        QTest::mouseClick(Form.BtnLoad, Qt::LeftButton);
    }
    // Clicks the node at this path of child indexes from the disc node, as the user would.
    void Click(std::initializer_list<int> path) {
        QTreeWidgetItem* node = Form.TreeView->topLevelItem(0);
        ASSERT_NE(node, nullptr);
        for (int i : path) {
            node->setExpanded(true);
            node = node->child(i);
            ASSERT_NE(node, nullptr);
        }
        Form.TreeView->scrollToItem(node);
        const QRect r = Form.TreeView->visualItemRect(node);
        QTest::mouseClick(Form.TreeView->viewport(), Qt::LeftButton, {}, r.center());
    }
    QStringList DumpLines() const { return Hex.HexMemo->toPlainText().split(u'\n'); }

    fixtures::TempDir Dir;
    platform_qt::ScopedMessageBoxRecorder Boxes;
    THexForm Hex;
    TDiscForm Form;
};

TEST_F(DiscFormTest, WindowsHaveTheirCaptionsControlsAndStartingState) {
    TDiscForm fresh;
    EXPECT_EQ(fresh.windowTitle(), "Varnel Emulation Disc Manager");
    EXPECT_EQ(fresh.geometry(), QRect(348, 188, 449, 430));
    EXPECT_EQ(fresh.GrpLoad->title(), " Load/Unload Image ");
    EXPECT_EQ(fresh.BtnBrowse->text(), "Browse...");
    EXPECT_EQ(fresh.BtnLoad->text(), "Load");
    EXPECT_EQ(fresh.BtnUnload->text(), "Unload");
    EXPECT_EQ(fresh.LabelStatus->text(), "Not Loaded");
    EXPECT_TRUE(fresh.LabelStatus->font().bold());
    EXPECT_EQ(fresh.PageControl1->currentWidget(), fresh.SheetFiles);
    EXPECT_EQ(fresh.PageControl1->tabText(fresh.PageControl1->indexOf(fresh.SheetRAW)), "RAW");
    EXPECT_EQ(fresh.PageControl1->tabText(fresh.PageControl1->indexOf(fresh.SheetFiles)), "Files");
    EXPECT_EQ(fresh.TreeView->indentation(), 35);
    EXPECT_FALSE(fresh.TreeView->rootIsDecorated());
    EXPECT_EQ(fresh.ListView->count(), 0);
    EXPECT_EQ(fresh.OpenDialog.Title, "Load Disk Image");
    EXPECT_EQ(fresh.OpenDialog.Filter, "Disk Image File (*.DSK)|*.dsk");
    EXPECT_EQ(fresh.RAWImages.size(), 3);
    for (const char* name : {"GrpLoad", "EditDskName", "BtnBrowse", "BtnLoad", "BtnUnload", "LabelStatus",
                             "PageControl1", "SheetRAW", "TreeView", "SheetFiles", "ListView"})
        EXPECT_NE(fresh.findChild<QWidget*>(name), nullptr) << name;

    EXPECT_EQ(Hex.windowTitle(), "Hex Display of Sector / File");
    EXPECT_EQ(Hex.geometry(), QRect(288, 185, 641, 461));
    EXPECT_EQ(Hex.HexMemo->objectName(), "HexMemo");
    EXPECT_EQ(Hex.HexMemo->font().pixelSize(), 13);
    EXPECT_FALSE(Hex.isVisible());
}

TEST_F(DiscFormTest, BrowseFillsTheFileNameOnlyWhenConfirmed) {
    std::optional<QString> answer;
    QString title;
    auto previous = platform_qt::SetOpenDialogPresenter([&](QWidget*, const platform_qt::TOpenDialog& d) {
        title = d.Title;
        return answer;
    });
    Form.EditDskName->setText("kept.dsk");
    QTest::mouseClick(Form.BtnBrowse, Qt::LeftButton);
    EXPECT_EQ(Form.EditDskName->text(), "kept.dsk");
    answer = "/discs/GAME.DSK";
    QTest::mouseClick(Form.BtnBrowse, Qt::LeftButton);
    EXPECT_EQ(Form.EditDskName->text(), "/discs/GAME.DSK");
    EXPECT_EQ(title, "Load Disk Image");
    platform_qt::SetOpenDialogPresenter(previous);
}

TEST_F(DiscFormTest, LoadBuildsTheTreeOfTracksAndSectors) {
    Load(Save(FixtureImage().Build()));
    EXPECT_EQ(Form.LabelStatus->text(), "Loaded: Status 0");
    EXPECT_EQ(TreeTexts(Form.TreeView), FixtureTree);
    EXPECT_TRUE(Boxes.Shown().empty());
}

TEST_F(DiscFormTest, UnloadEmptiesTheTreeAndLoadingAgainRebuildsIt) {
    const std::string path = Save(FixtureImage().Build());
    Load(path);
    QTest::mouseClick(Form.BtnUnload, Qt::LeftButton);
    EXPECT_EQ(Form.LabelStatus->text(), "Not Loaded");
    EXPECT_EQ(Form.TreeView->topLevelItemCount(), 0);
    EXPECT_FALSE(VirtualDisk.IsMounted());
    Load(path);
    EXPECT_EQ(TreeTexts(Form.TreeView), FixtureTree);
}

TEST_F(DiscFormTest, SectorDumpShowsTheBytesComplementedBackWithATextColumn) {
    Load(Save(FixtureImage().Build()));
    Click({2, 0}); // track 2, sector 7
    ASSERT_TRUE(Hex.isVisible());
    const QStringList lines = DumpLines();
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[0], "0000: 41 42 00 7F 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F  | AB." +
                            QString(QChar(0x7F)) + "............");
    EXPECT_EQ(lines[2], "0020: 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F  |  !\"#$%&'()*+,-./");
    EXPECT_EQ(lines[15], "00f0: F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF  | ................");

    // The second sector's data starts after the first's data length.
    Click({2, 1});
    EXPECT_EQ(DumpLines()[0].left(11), QString::asprintf("0000: %02X %02X", fixtures::PatternByte(2, 0, 8, 0),
                                                         fixtures::PatternByte(2, 0, 8, 1)));
}

TEST_F(DiscFormTest, SectorSizesGiveTheirLineCountsAndTheSameSectorTwiceShowsOneDump) {
    Load(Save(FixtureImage().Build()));
    const struct {
        int entry;
        qsizetype lines;
        const char* lastOffset;
    } cases[] = {{0, 16, "00f0: "}, {1, 32, "01f0: "}, {2, 64, "03f0: "}};
    for (const auto& c : cases) {
        Click({0, c.entry});
        Click({0, c.entry});
        const QStringList lines = DumpLines();
        EXPECT_EQ(lines.size(), c.lines) << c.entry;
        EXPECT_TRUE(lines.last().startsWith(c.lastOffset)) << lines.last().toStdString();
    }
}

TEST_F(DiscFormTest, ClicksOnTheDiscAndTrackNodesAreIgnored) {
    Load(Save(FixtureImage().Build()));
    Click({});
    Click({0});
    Click({1}); // the absent record
    EXPECT_FALSE(Hex.isVisible());
    EXPECT_TRUE(Hex.HexMemo->toPlainText().isEmpty());
}

// A file that cannot be loaded (missing, a FIFO, a device, a folder, too
// large, a read error) is reported at once and changes nothing: the image
// loaded before, its label, its tree and its open sector dump stay.
TEST_F(DiscFormTest, AFileThatIsRefusedChangesNothingShown) {
    const std::string fifo = Dir.File("pipe.dsk"), zero = Dir.File("zero.dsk"), sparse = Dir.File("big.dsk");
    ASSERT_TRUE(fixtures::MakeFifo(fifo));
    std::filesystem::create_symlink("/dev/zero", zero);
    ASSERT_TRUE(fixtures::MakeSparseFile(sparse, std::uint64_t(1) << 30));
    const struct {
        std::string Path, Message;
    } cases[] = {
        {Dir.File("missing.dsk"),
         "Cannot open file " + Dir.File("missing.dsk") + ": No such file or directory"},
        {"", "Cannot open file : No such file or directory"},
        {fifo, "Cannot open file " + fifo + ": it is a pipe, not a regular file"},
        {zero, "Cannot open file " + zero + ": it is a device, not a regular file"},
        {Dir.Path.string(), "Cannot open file " + Dir.Path.string() + ": it is a folder"},
        {sparse, "Cannot open file " + sparse + ": the file is larger than 13317376 bytes"},
        {"/proc/self/mem", "Cannot read file /proc/self/mem: Input/output error"},
    };
    Load(Save(FixtureImage().Build()));
    Click({0, 1});
    const QString dump = Hex.HexMemo->toPlainText();
    ASSERT_FALSE(dump.isEmpty());
    for (const auto& c : cases) {
        Boxes.Clear();
        Load(c.Path);
        ASSERT_EQ(Boxes.Shown().size(), 1u) << c.Path;
        EXPECT_EQ(Boxes.Shown()[0].text, QString::fromStdString(c.Message));
        EXPECT_EQ(Boxes.Shown()[0].caption, QGuiApplication::applicationDisplayName());
        EXPECT_EQ(Form.LabelStatus->text(), "Loaded: Status 0") << c.Path;
        EXPECT_EQ(TreeTexts(Form.TreeView), FixtureTree) << c.Path;
        EXPECT_TRUE(Hex.isVisible());
        EXPECT_EQ(Hex.HexMemo->toPlainText(), dump);
    }
    EXPECT_TRUE(VirtualDisk.IsMounted());
    // And the tree still dumps the image it shows.
    Click({0, 0});
    EXPECT_EQ(DumpLines().size(), 16);

    // Without an image loaded, a refused file leaves the empty state.
    Form.BtnUnloadClick();
    Boxes.Clear();
    Load(fifo);
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_EQ(Form.LabelStatus->text(), "Not Loaded");
    EXPECT_EQ(Form.TreeView->topLevelItemCount(), 0);
    EXPECT_TRUE(Form.isVisible());
}

// A sector cut short by the end of the file: the dump stops there and says so.
TEST_F(DiscFormTest, TheDumpStopsAtTheEndOfTheImageData) {
    DskBuilder b = FixtureImage();
    std::vector<std::uint8_t> bytes = b.Build();
    bytes.resize(b.DataOffset(3, 0) + 40);
    Load(Save(bytes));
    Click({2, 0});
    const QStringList lines = DumpLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith("0010: 10 11"));
    EXPECT_EQ(lines[2], "0020: 20 21 22 23 24 25 26 27" + QString(8 * 3, u' ') + "  |  !\"#$%&'");
    EXPECT_EQ(lines[3], "End of image file after 40 of 256 bytes");
}

struct DamagedCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> image;
    const char* fault;    // a line the damage message must hold
    const char* discNode; // the disc node's text
    int trackNodes;
};

std::vector<std::uint8_t> SetByte(std::vector<std::uint8_t> bytes, std::size_t at, std::uint8_t value) {
    bytes.at(at) = value;
    return bytes;
}

const DamagedCase DamagedCases[] = {
    {"shorter than its header", [] { return std::vector<std::uint8_t>(100, 0x20); },
     "The file is shorter than a disc header (100 of 256 bytes).", "32 Tracks, 32 Heads (              )",
     203},
    {"more records than slots",
     [] {
         auto bytes = DskBuilder().Uniform(2, 1, 2, 1).Build();
         bytes[0x30] = 255;
         bytes[0x31] = 255;
         return bytes;
     },
     "The header describes 65025 track records; folbrin shows only the first 203.",
     "255 Tracks, 255 Heads (QJ47R TESTS)", 203},
    {"sector count beyond the block",
     [] {
         DskBuilder b;
         b.Uniform(1, 1, 29, 0);
         return SetByte(b.Build(), b.BlockOffset(1) + 0x15, 255);
     },
     "Track record 1 lists 255 sectors; folbrin shows only the first 29.", "1 Tracks, 1 Heads (QJ47R TESTS)",
     1},
    {"size code far too large",
     [] {
         DskBuilder b;
         b.Uniform(1, 1, 2, 1);
         return SetByte(b.Build(), b.BlockOffset(1) + 0x18 + 8 + 3, 200);
     },
     "Track record 1 runs past the end of the file.", "1 Tracks, 1 Heads (QJ47R TESTS)", 1},
    {"data length past the record",
     [] {
         DskBuilder b;
         b.Uniform(1, 1, 2, 1);
         return SetByte(b.Build(), b.BlockOffset(1) + 0x18 + 8 + 7, 0xF0);
     },
     "Sector 2 of track record 1 runs past the end of its record or of the file.",
     "1 Tracks, 1 Heads (QJ47R TESTS)", 1},
    {"the standard layout", [] { return DskBuilder().Standard().Uniform(2, 1, 9, 2).Build(); },
     "The image is in the standard DSK layout (\"MV - CPCEMU Disk-File\"), with one size for all its tracks; "
     "folbrin reads only the extended layout (\"EXTENDED CPC DSK File\"), with a size for each track, so it "
     "shows no sector of this disc: the disc looks empty.",
     "2 Tracks, 1 Heads (QJ47R TESTS)", 2},
    {"record cut off by the end of the file",
     [] {
         DskBuilder b;
         b.Uniform(3, 1, 2, 1);
         auto bytes = b.Build();
         bytes.resize(b.BlockOffset(2) + 100);
         return bytes;
     },
     "Track record 2 lies past the end of the file.", "3 Tracks, 1 Heads (QJ47R TESTS)", 3},
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.name; }

class DamagedImageTest : public DiscFormTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedImageTest, LoadsWithAClearMessageAndEverySectorDumpsSafely) {
    const DamagedCase& c = GetParam();
    Load(Save(c.image()));
    EXPECT_EQ(Form.LabelStatus->text(), "Loaded: Status 0");
    ASSERT_EQ(Form.TreeView->topLevelItemCount(), 1);
    QTreeWidgetItem* disc = Form.TreeView->topLevelItem(0);
    EXPECT_EQ(disc->text(0), c.discNode);
    EXPECT_EQ(disc->childCount(), c.trackNodes);

    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_EQ(Boxes.Shown()[0].caption, "Damaged Disk Image");
    EXPECT_EQ(Boxes.Shown()[0].flags, platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
    EXPECT_TRUE(Boxes.Shown()[0].text.startsWith("The disc image is damaged"));
    EXPECT_TRUE(Boxes.Shown()[0].text.contains(c.fault)) << Boxes.Shown()[0].text.toStdString();

    for (int t = 0; t < disc->childCount(); ++t)
        for (int s = 0; s < disc->child(t)->childCount(); ++s) {
            Click({t, s});
            const QStringList lines = DumpLines();
            ASSERT_FALSE(lines.isEmpty());
            const bool complete = lines.last().contains(" | ");
            EXPECT_TRUE(complete || lines.last().startsWith("End of image file after "))
                << lines.last().toStdString();
        }
}

INSTANTIATE_TEST_SUITE_P(Images, DamagedImageTest, ::testing::ValuesIn(DamagedCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(DiscTreeTest, SectorSizeCodesBeyondTheShiftWidthGiveSixtyFourBitSizes) {
    DskBuilder b;
    b.Uniform(1, 1, 1, 1);
    auto bytes = b.Build();
    bytes[b.BlockOffset(1) + 0x18 + 3] = 30; // 128 << 30 does not fit in 32 bits
    fixtures::TempDir dir;
    DskBuilder::Write(dir.File("big.dsk"), bytes);
    TDiscForm form;
    THexForm hex;
    DiscForm = &form;
    HexForm = &hex;
    platform_qt::ScopedMessageBoxRecorder boxes;
    form.EditDskName->setText(QString::fromStdString(dir.File("big.dsk")));
    form.BtnLoadClick();
    EXPECT_EQ(form.TreeView->topLevelItem(0)->child(0)->child(0)->text(0),
              "Sector T0 H0 S1 (137438953472bytes)");
    VirtualDisk.UnloadImage(1);
}

} // namespace
