#include "platform_qt/message_box.h"

#include <QMessageBox>
#include <utility>

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

int ShowQtMessageBox(QWidget* parent, const MessageBoxRequest& request) {
    QMessageBox box(IconOf(request.flags), request.caption, request.text, QMessageBox::NoButton, parent);
    switch (request.flags & 0x0F) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
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

} // namespace

int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags) {
    const MessageBoxRequest request{text, caption, flags};
    if (Presenter()) return Presenter()(parent, request);
    return ShowQtMessageBox(parent, request);
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    return std::exchange(Presenter(), std::move(presenter));
}

ScopedMessageBoxRecorder::ScopedMessageBoxRecorder(int answer) {
    previous_ = SetMessageBoxPresenter([this, answer](QWidget*, const MessageBoxRequest& request) {
        shown_.push_back(request);
        return answer;
    });
}

ScopedMessageBoxRecorder::~ScopedMessageBoxRecorder() { SetMessageBoxPresenter(std::move(previous_)); }

} // namespace platform_qt
