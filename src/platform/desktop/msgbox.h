#pragma once
// Message boxes with the runtime's style flags and answers. The real box is a QMessageBox;
// tests install a ScriptedMsgBox that records each box and answers from a queue.
#include <QQueue>
#include <QString>
#include <QVector>
#include <optional>

namespace ark::desktop {

inline const QString kProgramTitle = QStringLiteral("Dovral Videzide® - Arkivor");

// Style flags: one button set, one icon, optionally the default button.
enum MsgBoxStyle : int {
  vbOKOnly = 0,
  vbOKCancel = 1,
  vbAbortRetryIgnore = 2,
  vbYesNoCancel = 3,
  vbYesNo = 4,
  vbRetryCancel = 5,
  vbCritical = 16,
  vbQuestion = 32,
  vbExclamation = 48,
  vbInformation = 64,
  vbDefaultButton2 = 256,
  vbDefaultButton3 = 512,
};

// Answers.
enum MsgBoxResult : int {
  vbOK = 1,
  vbCancel = 2,
  vbAbort = 3,
  vbRetry = 4,
  vbIgnore = 5,
  vbYes = 6,
  vbNo = 7
};

// Shows a modal box and returns the button chosen. Lines joined by a bare "\r" are shown
// as separate lines. An empty title gives the program title.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = kProgramTitle);

// The text with its first letter in capitals: a reason from a lower layer, shown alone in
// a box, reads as a sentence.
QString asSentence(const QString& text);

// The answer a box gives when the user closes it without choosing (Esc, the close button).
int closeAnswer(int style);
// The button that has the focus when the box opens.
int defaultAnswer(int style);

// What answers the boxes; the real one unless a test installed another.
class MsgBoxHandler {
 public:
  virtual ~MsgBoxHandler() = default;
  virtual int show(const QString& text, int style, const QString& title) = 0;
};

// Records every box and answers from a queue; with the queue empty it answers
// `fallback` when set, otherwise the box's default button.
class ScriptedMsgBox : public MsgBoxHandler {
 public:
  struct Shown {
    QString text;  // as given, "\r" kept
    int style = 0;
    QString title;
  };

  void answer(int result) { answers_.enqueue(result); }
  void setFallback(std::optional<int> result) { fallback_ = result; }
  const QVector<Shown>& shown() const { return shown_; }
  QStringList texts() const;
  void clear() { shown_.clear(); }

  int show(const QString& text, int style, const QString& title) override;

 private:
  QVector<Shown> shown_;
  QQueue<int> answers_;
  std::optional<int> fallback_;
};

// Installs a handler for the lifetime of the object (tests).
class ScopedMsgBox {
 public:
  explicit ScopedMsgBox(MsgBoxHandler& h);
  ~ScopedMsgBox();
  ScopedMsgBox(const ScopedMsgBox&) = delete;
  ScopedMsgBox& operator=(const ScopedMsgBox&) = delete;

 private:
  MsgBoxHandler* previous_;
};

// Text of a box as shown: "\r\n" and bare "\r" become line breaks.
QString displayText(const QString& text);

}  // namespace ark::desktop
