#include "disc_manager/disc_form.h"

#include "disc_manager/disc_manager_globals.h"
#include "disc_manager/disc_texts.h"
#include "disc_manager/hex_form.h"
#include "disc_manager/raw_images.h"
#include "machine/disc/dsk_damage.h"
#include "platform_qt/guarded.h"
#include "platform_qt/message_box.h"

#include <QPushButton>
#include <QTreeWidgetItem>
#include <vector>

namespace {

// Where a sector node's entry lives: record slot k, entry j.
constexpr int RecordRole = Qt::UserRole;
constexpr int EntryRole = Qt::UserRole + 1;

int Level(const QTreeWidgetItem* node) {
    int level = 0;
    for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent())
        ++level;
    return level;
}

} // namespace

TDiscForm::TDiscForm(QWidget* parent) : QWidget(parent) {
    setupUi(this);
    move(348, 188);
    RAWImages = MakeRawImages();

    OpenDialog.Title = "Load Disk Image";
    OpenDialog.Filter = "Disk Image File (*.DSK)|*.dsk";

    connect(BtnBrowse, &QPushButton::clicked, this, platform_qt::Guarded(this, &TDiscForm::BtnBrowseClick));
    connect(BtnLoad, &QPushButton::clicked, this, platform_qt::Guarded(this, &TDiscForm::BtnLoadClick));
    connect(BtnUnload, &QPushButton::clicked, this, platform_qt::Guarded(this, &TDiscForm::BtnUnloadClick));
    connect(TreeView, &QTreeWidget::itemClicked, this,
            [this] { platform_qt::RunGuarded(this, [this] { ShowHex(); }); });
}

TDiscForm::~TDiscForm() = default;

void TDiscForm::BtnBrowseClick() {
    if (OpenDialog.Execute(this)) EditDskName->setText(OpenDialog.FileName);
}

void TDiscForm::BtnLoadClick() {
    // A file that is refused raises here, before anything changed: the image
    // loaded before, its label, its tree and its open dump stay as they were.
    const int r = VirtualDisk.LoadImage(EditDskName->text().toStdString(), 0);
    LabelStatus->setText("Loaded: Status " + QString::number(r));
    if (r == 0) BuildRawTree();
    const std::string damage = DamageMessage(
        "The disc image is damaged or in a layout folbrin does not read; what it holds is shown as far as "
        "it goes.",
        DamageReport(VirtualDisk, TDiscReader::DiscManager));
    if (!damage.empty())
        platform_qt::MessageBox(this, QString::fromStdString(damage), "Damaged Disk Image",
                                platform_qt::MB_OK | platform_qt::MB_ICONEXCLAMATION);
}

void TDiscForm::BtnUnloadClick() { ShowNotLoaded(); }

void TDiscForm::ShowNotLoaded() {
    VirtualDisk.UnloadImage(1);
    LabelStatus->setText("Not Loaded");
    TreeView->clear();
}

void TDiscForm::BuildRawTree() {
    TreeView->clear();
    auto* disc = new QTreeWidgetItem(TreeView, {DiscNodeText(VirtualDisk)});
    disc->setIcon(0, RAWImages[0]);
    for (int k = 1; k <= VirtualDisk.RecordCount(); ++k) {
        const std::uint8_t* info = VirtualDisk.TrackInfo[k];
        auto* track = new QTreeWidgetItem(disc, {TrackNodeText(info)});
        track->setIcon(0, RAWImages[1]);
        // Absent records have cleared blocks; missing ones (past the file's end) show no sectors.
        if (!VirtualDisk.RecordPresent(k)) continue;
        for (int j = 0; j < dsk::SectorEntryCount(info); ++j) {
            auto* sector = new QTreeWidgetItem(track, {SectorNodeText(info, j)});
            sector->setIcon(0, RAWImages[2]);
            sector->setData(0, RecordRole, k);
            sector->setData(0, EntryRole, j);
        }
    }
}

void TDiscForm::ShowHex() {
    QTreeWidgetItem* node = TreeView->currentItem();
    if (!node || Level(node) != 2 || !VirtualDisk.ImageStream || !HexForm) return;
    const int k = node->data(0, RecordRole).toInt();
    const int j = node->data(0, EntryRole).toInt();
    if (k < 1 || k > VirtualDisk.RecordCount() || j < 0 || j >= dsk::MaxSectorEntries) return;

    HexForm->HexMemo->clear();
    const std::uint8_t* info = VirtualDisk.TrackInfo[k];
    std::uint64_t position = VirtualDisk.TrackDataOffset[k];
    for (int i = 0; i < j; ++i)
        position += dsk::SectorDataLength(info, i);
    const std::uint64_t size = dsk::SectorSpan(dsk::SectorSizeCode(info, j));

    // Read no further than the image holds.
    platform::TMemoryStream& stream = *VirtualDisk.ImageStream;
    const std::uint64_t imageSize = std::uint64_t(stream.Size());
    const std::uint64_t available = position < imageSize ? imageSize - position : 0;
    std::vector<std::uint8_t> data(available < size ? available : size);
    if (!data.empty()) {
        stream.SetPosition(std::int64_t(position));
        data.resize(stream.Read(data.data(), data.size()));
    }
    HexForm->HexMemo->setPlainText(HexDumpLines(data.data(), data.size(), size).join(u'\n'));

    if (!HexForm->isVisible()) HexForm->show();
}
