// Message boxes as the windows show them: a text, a caption and the flag word
// of the classic message box call (buttons in the low nibble, icon in the next).
// Tests replace the presenter so that nothing blocks and what would be shown
// can be checked.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

namespace platform_qt {

// Buttons.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_OKCANCEL = 0x01;
inline constexpr unsigned MB_YESNO = 0x04;
// Icons.
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct MessageBoxRequest {
    QString text;
    QString caption;
    unsigned flags = MB_OK;
};

// Shows the box and returns the answer (IDOK, IDCANCEL, IDYES, IDNO).
using MessageBoxPresenter = std::function<int(QWidget* parent, const MessageBoxRequest&)>;

// Shows a modal message box (through the installed presenter) and returns its answer.
int MessageBox(QWidget* parent, const QString& text, const QString& caption, unsigned flags);

// Installs a presenter; an empty one restores the real message box. Returns the previous one.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Shows a box without waiting for it (not modal), for news while the emulation
// runs, and returns it: it deletes itself when the user closes it, and the
// caller may close it when the news no longer holds. The presenter, when one is
// installed, sees it as a message box instead (nullptr is returned).
QWidget* ShowNotice(QWidget* parent, const QString& text, const QString& caption, unsigned flags);

// A question whose buttons carry their own texts ("Retry", "Save As...").
struct ChoiceRequest {
    QString text;
    QString caption;
    QStringList choices;
};
// Returns the index of the choice taken, or -1 when the box was closed without one.
using ChoicePresenter = std::function<int(QWidget* parent, const ChoiceRequest&)>;

// Asks with a modal box with a warning icon (through the installed presenter).
int AskChoice(QWidget* parent, const QString& text, const QString& caption, const QStringList& choices);
ChoicePresenter SetChoicePresenter(ChoicePresenter presenter);

// While alive, questions are recorded instead of shown and answered by `answer`.
class ScopedChoiceRecorder {
  public:
    explicit ScopedChoiceRecorder(std::function<int(const ChoiceRequest&)> answer);
    ~ScopedChoiceRecorder();
    ScopedChoiceRecorder(const ScopedChoiceRecorder&) = delete;
    ScopedChoiceRecorder& operator=(const ScopedChoiceRecorder&) = delete;

    const std::vector<ChoiceRequest>& Asked() const { return asked_; }

  private:
    std::vector<ChoiceRequest> asked_;
    ChoicePresenter previous_;
};

// While alive, message boxes are recorded instead of shown and answered with `answer`.
class ScopedMessageBoxRecorder {
  public:
    explicit ScopedMessageBoxRecorder(int answer = IDOK);
    ~ScopedMessageBoxRecorder();
    ScopedMessageBoxRecorder(const ScopedMessageBoxRecorder&) = delete;
    ScopedMessageBoxRecorder& operator=(const ScopedMessageBoxRecorder&) = delete;

    const std::vector<MessageBoxRequest>& Shown() const { return shown_; }
    void Clear() { shown_.clear(); }

  private:
    std::vector<MessageBoxRequest> shown_;
    MessageBoxPresenter previous_;
};

} // namespace platform_qt
