// TDiscForm: the disc manager's main window. It loads one disc image into the
// global VirtualDisk, shows it as a tree of the disc, its track records and
// their sectors, and dumps a clicked sector into HexForm.
#pragma once

#include "platform_qt/open_dialog.h"
#include "ui_disc_form.h"

#include <QIcon>
#include <QList>
#include <QWidget>

class TDiscForm : public QWidget, public Ui::TDiscForm {
    Q_OBJECT

  public:
    explicit TDiscForm(QWidget* parent = nullptr);
    ~TDiscForm() override;

    void BtnBrowseClick();
    void BtnLoadClick();
    void BtnUnloadClick();
    // The tree's click handler: dumps the selected sector node.
    void ShowHex();

    platform_qt::TOpenDialog OpenDialog;
    QList<QIcon> RAWImages; // 0 disc, 1 track, 2 sector

  private:
    void BuildRawTree();
    // Drops the image and shows the empty state.
    void ShowNotLoaded();
};
