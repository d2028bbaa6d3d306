#include "platform_qt/message_box.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QMessageBox>
#include <algorithm>
#include <utility>
#include <vector>

namespace platform_qt {

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

void SetButtons(QMessageBox& box, unsigned flags) {
    switch (flags & 0x0F) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
}

int ShowQtMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    QMessageBox box(IconOf(request.flags), request.caption, request.text, QMessageBox::NoButton, parent);
    SetButtons(box, request.flags);
    switch (box.exec()) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
    }
}

MessageBoxPresenter& Presenter() {
    static MessageBoxPresenter presenter;
    return presenter;
}

int ShowQtChoice(QWidget* parent, const ChoiceRequest& request) {
    QMessageBox box(QMessageBox::Warning, request.caption, request.text, QMessageBox::NoButton, parent);
    std::vector<QAbstractButton*> buttons;
    for (const QString& choice : request.choices)
        buttons.push_back(box.addButton(choice, QMessageBox::ActionRole));
    box.exec();
    const auto taken = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return taken == buttons.end() ? -1 : int(taken - buttons.begin());
}

ChoicePresenter& Chooser() {
    static ChoicePresenter presenter;
    return presenter;
}

} // namespace

int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) {
    const MessageBoxRequest request{text, caption, flags};
    if (Presenter()) return Presenter()(parent, request);
    return ShowQtMessageBox(parent, request);
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    return std::exchange(Presenter(), std::move(presenter));
}

QWidget* ShowNotice(QWidget* parent, const QString& text, const QString& caption, unsigned flags) {
    const MessageBoxRequest request{text, caption, flags};
    if (Presenter()) {
        Presenter()(parent, request);
        return nullptr;
    }
    auto* box = new QMessageBox(IconOf(flags), caption, text, QMessageBox::NoButton, parent);
    SetButtons(*box, flags);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // News while the user types into another window: it keeps the keyboard.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->setModal(false);
    box->show();
    return box;
}

int AskChoice(QWidget* parent, const QString& text, const QString& caption, const QStringList& choices) {
    const ChoiceRequest request{text, caption, choices};
    if (Chooser()) return Chooser()(parent, request);
    return ShowQtChoice(parent, request);
}

ChoicePresenter SetChoicePresenter(ChoicePresenter presenter) {
    return std::exchange(Chooser(), std::move(presenter));
}

ScopedChoiceRecorder::ScopedChoiceRecorder(std::function<int(const ChoiceRequest&)> answer) {
    previous_ =
        SetChoicePresenter([this, answer = std::move(answer)](QWidget*, const ChoiceRequest& request) {
            asked_.push_back(request);
            return answer(request);
        });
}

ScopedChoiceRecorder::~ScopedChoiceRecorder() { SetChoicePresenter(std::move(previous_)); }

ScopedMessageBoxRecorder::ScopedMessageBoxRecorder(int answer) {
    previous_ = SetMessageBoxPresenter([this, answer](QWidget*, const MessageBoxRequest& request) {
        shown_.push_back(request);
        return answer;
    });
}

ScopedMessageBoxRecorder::~ScopedMessageBoxRecorder() { SetMessageBoxPresenter(std::move(previous_)); }

} // namespace platform_qt
