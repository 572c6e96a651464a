#pragma once
// The monthly visit reminder window: greets the customer, takes the answer Sim, Não or Adiar,
// an optional message and the remind-next-month box, and confirms them into pcs.
#include <QDialog>
#include <array>

#include "platform/core/value.h"
#include "platform/database/database.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ark::desktop {
class ImageControl;
class Shape;
}  // namespace ark::desktop

namespace ark::visits {

struct BoxText;
struct NextReminder;

class frmvisita : public QDialog {
  Q_OBJECT

 public:
  // The single instance, created (and loaded) on first use; unloading deletes it.
  static frmvisita& instance();
  static bool exists();
  ~frmvisita() override;

  // Opcao: the answer chosen.
  enum : quint8 { Sim = 0, Nao = 1, Adiar = 2 };
  static constexpr int kMessageLimit = 150;

  db::View Tpc{QStringLiteral("Tpc"), QStringLiteral("Access 2000;"), QStringLiteral("pcs")};
  quint8 Opcao = Adiar;

  void Form_Load();
  // Re-reads pcs, greets by name and sets the answer back to Adiar, display included.
  // Raises when the schedule database cannot be read.
  void Form_Activate();
  void isis_Click(int Index);
  // Acts only while isis(0) is enabled; the key goes on to the focused control either way.
  void Form_KeyPress(int& KeyAscii);
  void chkmsg_Click();
  void txtmsg_Change();
  void cmdconfirma_Click();

  // Sets the controls as the answer's highlight has them, in the order of the controls.
  void applyHighlight(int answer);
  // The message as the user typed it, line breaks as carriage return and line feed.
  QString messageText() const;
  // Its length with a line break counting as two characters.
  int messageLength() const;

  QLabel* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lblmsg = nullptr;
  desktop::Shape* Shape1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  desktop::Shape* ShapeSIM = nullptr;
  desktop::Shape* ShapeNAO = nullptr;
  desktop::Shape* ShapeADIAR = nullptr;
  QLabel* lblsim = nullptr;
  QLabel* lblnao = nullptr;
  QLabel* lbladiar = nullptr;
  std::array<desktop::ImageControl*, 3> isis{};
  QLabel* Label4 = nullptr;
  QPlainTextEdit* txtmsg = nullptr;
  QCheckBox* chkmsg = nullptr;
  QPushButton* cmdconfirma = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  // Esc and the window manager's close do nothing: the window leaves only by a confirmation.
  void reject() override {}

 private:
  frmvisita();
  void activate();
  void focusWindowChanged();
  bool ownsWindow(const QWidget* w) const;
  void limitMessage();
  void confirmSim();
  void notSent(const BoxText& box);
  void writeReminder(const NextReminder& r);
  void unload();

  // data_visita and hora_visita as read at the last activation: a postponement counts from
  // what the user was reminded of.
  Value loadedData_;
  Value loadedHora_;
  // Another window of the program took the activation since this one was last activated.
  bool leftForOtherWindow_ = false;
  bool firstActivation_ = true;
  bool limiting_ = false;
};

}  // namespace ark::visits
