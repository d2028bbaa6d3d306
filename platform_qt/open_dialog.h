// The open dialog of our windows: a title, a filter in the classic form
// "Description|*.ext;*.ext2|Description|*.ext3" with a 1-based selected entry,
// and the chosen file name. Linux file names are case-sensitive, so each
// pattern matches its extension in any letter case ("*.dsk" finds "A.DSK").
// A save dialog (TSaveDialog) is the same dialog for a file that need not
// exist yet; choosing one that exists asks before it would be replaced.
// Tests replace the presenter so that nothing blocks.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

namespace platform_qt {

class TOpenDialog {
  public:
    QString Title;
    QString Filter;
    int FilterIndex = 1;
    QString InitialDir;
    QString FileName;
    QString DefaultExt;     // added to a typed name that has no extension
    bool ForSaving = false; // set by TSaveDialog

    // Lets the user choose an existing file (or, for saving, name one in an
    // existing folder); true when confirmed, with FileName set.
    bool Execute(QWidget* parent);

    // The Qt name filters for Filter: each keeps its description as the text shown.
    QStringList NameFilters() const;

    // The dialog Execute shows, set up but not yet shown (owned by the caller).
    QFileDialog* CreateFileDialog(QWidget* parent) const;
};

class TSaveDialog : public TOpenDialog {
  public:
    TSaveDialog() { ForSaving = true; }
};

// "*.dsk" -> "*.[dD][sS][kK]"; bracket sets already in the pattern are kept.
QString CaselessPattern(const QString& pattern);

// Chooses a file for the dialog (open or save); nullopt when cancelled.
using OpenDialogPresenter = std::function<std::optional<QString>(QWidget* parent, const TOpenDialog&)>;

// Installs a presenter; an empty one restores the real dialog. Returns the previous one.
OpenDialogPresenter SetOpenDialogPresenter(OpenDialogPresenter presenter);

} // namespace platform_qt
