#include "platform_qt/open_dialog.h"

#include <QFileDialog>
#include <memory>
#include <utility>

namespace platform_qt {

namespace {

OpenDialogPresenter& Presenter() {
    static OpenDialogPresenter presenter;
    return presenter;
}

} // namespace

QString CaselessPattern(const QString& pattern) {
    QString out;
    bool inSet = false;
    for (const QChar c : pattern) {
        if (inSet || !c.isLetter() || c.toLower() == c.toUpper()) {
            out += c;
            if (c == u'[')
                inSet = true;
            else if (c == u']')
                inSet = false;
            continue;
        }
        out += u'[';
        out += c.toLower();
        out += c.toUpper();
        out += u']';
    }
    return out;
}

QStringList TOpenDialog::NameFilters() const {
    // Qt takes the patterns from the last parenthesised group and, with
    // HideNameFilterDetails, shows the text before it: the description as given.
    QStringList filters;
    const QStringList parts = Filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
            patterns << CaselessPattern(pattern.trimmed());
        filters << parts[i] + " (" + patterns.join(u' ') + ")";
    }
    return filters;
}

QFileDialog* TOpenDialog::CreateFileDialog(QWidget* parent) const {
    auto* dialog = new QFileDialog(parent, Title, InitialDir);
    // Qt's save dialog asks before an existing file is chosen.
    dialog->setAcceptMode(ForSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(ForSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setSizeGripEnabled(true);
    if (!DefaultExt.isEmpty()) dialog->setDefaultSuffix(DefaultExt);
    const QStringList filters = NameFilters();
    if (!filters.isEmpty()) {
        dialog->setNameFilters(filters);
        dialog->selectNameFilter(filters.value(FilterIndex - 1, filters.first()));
    }
    if (!FileName.isEmpty()) dialog->selectFile(FileName);
    return dialog;
}

bool TOpenDialog::Execute(QWidget* parent) {
    std::optional<QString> chosen;
    if (Presenter()) {
        chosen = Presenter()(parent, *this);
    } else {
        std::unique_ptr<QFileDialog> dialog(CreateFileDialog(parent));
        if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            chosen = dialog->selectedFiles().first();
    }
    if (!chosen) return false;
    FileName = *chosen;
    return true;
}

OpenDialogPresenter SetOpenDialogPresenter(OpenDialogPresenter presenter) {
    return std::exchange(Presenter(), std::move(presenter));
}

} // namespace platform_qt
