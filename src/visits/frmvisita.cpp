#include "visits/frmvisita.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWindow>
#include <optional>

#include "platform/core/paths.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/dpi.h"
#include "platform/desktop/fonts.h"
#include "platform/desktop/msgbox.h"
#include "platform/desktop/pictures.h"
#include "visits/confirmation.h"
#include "visits/estaconectado.h"
#include "visits/support_mail.h"

namespace ark::visits {

using desktop::tahoma;
using desktop::tw;

namespace {

frmvisita* g_instance = nullptr;

const QColor kWhite(255, 255, 255);
const QColor kLightGreen(192, 255, 192);
const QColor kLightRed(255, 192, 192);
const QColor kGrey(192, 192, 192);
const QColor kDarkGrey(64, 64, 64);
const QColor kGreen(0, 128, 0);
const QColor kMaroon(128, 0, 0);
const QColor kLightBorder(224, 224, 224);

const QString kLabel4Text =
    QStringLiteral("Se quiser, pode nos enviar uma mensagem por aqui...      Limite: ");

QRect twRect(int x, int y, int w, int h) {
  return QRect(tw(x), tw(y), tw(w), tw(h));
}

void setTextColor(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, c);
  p.setColor(QPalette::Text, c);
  p.setColor(QPalette::ButtonText, c);
  w->setPalette(p);
}

QLabel* label(QWidget* parent, const char* name, const QRect& r, const QString& text, double pt,
              bool bold, const QColor& colour,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(r);
  l->setTextFormat(Qt::PlainText);
  l->setText(text);
  l->setFont(tahoma(pt, bold));
  l->setAlignment(align);
  setTextColor(l, colour);
  return l;
}

void setBold(QLabel* l, bool bold) {
  QFont f = l->font();
  f.setBold(bold);
  l->setFont(f);
}

void setBackColor(QPlainTextEdit* t, const QColor& c) {
  QPalette p = t->palette();
  p.setColor(QPalette::All, QPalette::Base, c);
  t->setPalette(p);
}

bool isLineBreak(QChar c) {
  return c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

}  // namespace

frmvisita& frmvisita::instance() {
  if (!g_instance) g_instance = new frmvisita;
  return *g_instance;
}

bool frmvisita::exists() {
  return g_instance != nullptr;
}

frmvisita::frmvisita()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("frmvisita"));
  setWindowTitle(QStringLiteral("Dovral Videzide®"));
  setFixedSize(tw(6375), tw(7575));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kWhite);
  setPalette(pal);
  setAutoFillBackground(true);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(twRect(0, 0, 6375, 1350));
  Image1->setPixmap(desktop::pictures::visitBanner(Image1->size()));

  Label1 = label(this, "Label1", twRect(180, 1470, 510, 330), QStringLiteral("Olá"), 9.75, false,
                 Qt::black);
  lblmsg = label(this, "lblmsg", twRect(690, 1470, 5505, 330), QStringLiteral("Olá"), 9.75, true,
                 kMaroon);

  Shape1 = new desktop::Shape(desktop::Shape::RoundedRectangle, this);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(twRect(120, 1890, 6135, 1080));
  Shape1->setFillColor(kDarkGrey);
  Shape1->setBorderColor(kLightBorder);
  Label2 = label(this, "Label2", twRect(180, 1980, 6015, 510),
                 QStringLiteral("Estamos na semana de agendamento da visita presencial."), 11.25,
                 false, kWhite, Qt::AlignCenter);
  Label2->setWordWrap(true);
  Label3 = label(this, "Label3", twRect(180, 2490, 6015, 390), QStringLiteral("Deseja Agendar?"),
                 11.25, true, kWhite, Qt::AlignCenter);

  struct AnswerDesign {
    const char *shape, *label;
    const char* caption;
    QColor border, colour;
    desktop::pictures::Answer picture;
    int x;
  };
  const AnswerDesign answers[] = {
      {"ShapeSIM", "lblsim", "1.Sim", kLightGreen, kGreen, desktop::pictures::Answer::Yes, 90},
      {"ShapeNAO", "lblnao", "2.Não", kLightRed, kMaroon, desktop::pictures::Answer::No, 2175},
      {"ShapeADIAR", "lbladiar", "3.Adiar", kGrey, kDarkGrey, desktop::pictures::Answer::Later,
       4260},
  };
  desktop::Shape** shapes[] = {&ShapeSIM, &ShapeNAO, &ShapeADIAR};
  QLabel** labels[] = {&lblsim, &lblnao, &lbladiar};
  constexpr int kTop = 3120, kHeight = 900, kWidth = 2025;
  for (int i = 0; i < 3; ++i) {
    const AnswerDesign& a = answers[i];
    auto* s = new desktop::Shape(desktop::Shape::RoundedRectangle, this);
    s->setObjectName(QString::fromLatin1(a.shape));
    s->setGeometry(twRect(a.x, kTop, kWidth, kHeight));
    s->setBorderColor(a.border);
    s->setFillColor(kWhite);
    *shapes[i] = s;

    auto* img = new desktop::ImageControl(this);
    img->setObjectName(QStringLiteral("isis_%1").arg(i));
    img->setGeometry(twRect(a.x + 60, kTop + 90, 720, 720));
    img->setPicture(desktop::pictures::answerPicture(a.picture, tw(720)));
    connect(img, &desktop::ImageControl::Click, this, [this, i] { isis_Click(i); });
    isis[i] = img;

    *labels[i] = label(this, a.label, twRect(a.x + 750, kTop, kWidth - 780, kHeight),
                       QString::fromUtf8(a.caption), 15.75, false, a.colour, Qt::AlignCenter);
  }
  isis[0]->setToolTip(QStringLiteral("Click"));
  ShapeADIAR->setFillColor(kGrey);

  Label4 = label(this, "Label4", twRect(120, 4140, 6135, 480),
                 kLabel4Text + QStringLiteral("150 caracteres."), 8.25, false, Qt::black,
                 Qt::AlignLeft | Qt::AlignBottom);
  Label4->setWordWrap(true);

  txtmsg = new QPlainTextEdit(this);
  txtmsg->setObjectName(QStringLiteral("txtmsg"));
  txtmsg->setGeometry(twRect(120, 4680, 6135, 1440));
  txtmsg->setFont(tahoma(9.75));
  txtmsg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtmsg->setTabChangesFocus(true);
  setBackColor(txtmsg, kWhite);
  txtmsg->setEnabled(false);
  connect(txtmsg, &QPlainTextEdit::textChanged, this, &frmvisita::limitMessage);

  chkmsg = new QCheckBox(QStringLiteral("&Exibir este lembrete no próximo mês"), this);
  chkmsg->setObjectName(QStringLiteral("chkmsg"));
  chkmsg->setGeometry(twRect(120, 6240, 6135, 360));
  chkmsg->setFont(tahoma(9));
  setTextColor(chkmsg, kDarkGrey);
  connect(chkmsg, &QCheckBox::toggled, this, &frmvisita::chkmsg_Click);

  cmdconfirma = new QPushButton(QStringLiteral("&Confirmar"), this);
  cmdconfirma->setObjectName(QStringLiteral("cmdconfirma"));
  cmdconfirma->setGeometry(twRect(2280, 6780, 1815, 540));
  cmdconfirma->setFont(tahoma(8.25, true));
  cmdconfirma->setDefault(true);
  connect(cmdconfirma, &QPushButton::clicked, this, &frmvisita::cmdconfirma_Click);

  // Key preview: the window sees each key before the control that has the focus.
  installEventFilter(this);
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &frmvisita::focusWindowChanged);

  if (QScreen* s = QGuiApplication::primaryScreen())
    move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));

  Form_Load();
}

frmvisita::~frmvisita() {
  if (g_instance == this) g_instance = nullptr;
}

void frmvisita::Form_Load() {
  Tpc.setDatabaseName(joinPath(programFolder(), QStringLiteral("backupdovral.mdb")));
}

void frmvisita::Form_Activate() {
  Tpc.Refresh();
  db::Recordset& rs = Tpc.recordset();
  const Value nome = rs.field(QStringLiteral("nome"));
  lblmsg->setText(nome.isNull() ? QString() : rt::UCase(nome));
  loadedData_ = rs.field(QStringLiteral("data_visita"));
  loadedHora_ = rs.field(QStringLiteral("hora_visita"));
  // The first activation finds the designed display, which already stands for Adiar; a
  // later one puts the display back in step with the answer.
  if (!firstActivation_) applyHighlight(Adiar);
  firstActivation_ = false;
  Opcao = Adiar;
}

// Activation: before the first use after each show, and again only when the user comes back
// from another window of the program. The confirmation's own message boxes hand the
// activation back when they close; that must not undo the choice being confirmed.
void frmvisita::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) activate();
}

bool frmvisita::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && leftForOtherWindow_) activate();
  return QDialog::event(e);
}

void frmvisita::focusWindowChanged() {
  if (!isVisible()) return;
  QWindow* focus = QGuiApplication::focusWindow();
  if (!focus) return;  // another program: not a window of ours
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->windowHandle() == focus) {
      // A box shown while no window had the activation has no owner, yet is one of the
      // confirmation's own.
      if (!ownsWindow(w) && !qobject_cast<QMessageBox*>(w)) leftForOtherWindow_ = true;
      return;
    }
  }
}

bool frmvisita::ownsWindow(const QWidget* w) const {
  for (; w; w = w->parentWidget())
    if (w == this) return true;
  return false;
}

void frmvisita::activate() {
  leftForOtherWindow_ = false;
  try {
    Form_Activate();
  } catch (const RuntimeError& err) {
    const QString text = QStringLiteral("Não foi possível ler o cadastro da instalação:\r%1\r\r%2")
                             .arg(Tpc.databaseName(), err.message());
    // Not from inside the show: the box and the unload come once it has finished.
    QMetaObject::invokeMethod(
        this,
        [this, text] {
          desktop::MsgBox(text, desktop::vbCritical);
          unload();
        },
        Qt::QueuedConnection);
  }
}

void frmvisita::applyHighlight(int answer) {
  setBold(lblsim, answer == Sim);
  ShapeSIM->setFillColor(answer == Sim ? kLightGreen : kWhite);
  setBold(lblnao, answer == Nao);
  ShapeNAO->setFillColor(answer == Nao ? kLightRed : kWhite);
  setBold(lbladiar, answer == Adiar);
  ShapeADIAR->setFillColor(answer == Adiar ? kGrey : kWhite);
  txtmsg->setEnabled(answer == Sim);
  setBackColor(txtmsg, answer == Sim ? kLightGreen : kWhite);
  // Emptied only when it holds text: the design caption of Label4 stays until a change.
  if (answer != Sim && !txtmsg->document()->isEmpty()) txtmsg->clear();
  if (answer == Sim) {
    chkmsg->setEnabled(false);
    chkmsg->setChecked(false);
  } else {
    chkmsg->setEnabled(true);
  }
}

void frmvisita::isis_Click(int Index) {
  if (Index < Sim || Index > Adiar) return;
  applyHighlight(Index);
  Opcao = static_cast<quint8>(Index);
}

void frmvisita::Form_KeyPress(int& KeyAscii) {
  if (!isis[0]->isEnabled()) return;
  if (KeyAscii >= '1' && KeyAscii <= '3') isis_Click(KeyAscii - '1');
}

bool frmvisita::eventFilter(QObject* watched, QEvent* e) {
  // Only where the key arrives first, not again as it travels up to the parents.
  if (e->type() == QEvent::KeyPress && watched == (focusWidget() ? focusWidget() : this)) {
    const QString text = static_cast<QKeyEvent*>(e)->text();
    if (text.size() == 1) {
      int KeyAscii = text.at(0).unicode();
      Form_KeyPress(KeyAscii);
    }
  }
  return QDialog::eventFilter(watched, e);  // the key goes on to the focused control
}

void frmvisita::chkmsg_Click() {
  const bool ticked = chkmsg->isChecked();
  for (desktop::ImageControl* i : isis) i->setEnabled(!ticked);
  applyHighlight(Adiar);
  Opcao = Adiar;
}

QString frmvisita::messageText() const {
  return txtmsg->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

int frmvisita::messageLength() const {
  const QString t = txtmsg->toPlainText();
  return int(t.size() + t.count(QLatin1Char('\n')));
}

// The box takes no character beyond the limit: what was just typed or pasted ends at the
// cursor, so the excess is taken back from there (a line break as its two characters).
void frmvisita::limitMessage() {
  if (limiting_) return;
  int over = messageLength() - kMessageLimit;
  if (over > 0) {
    limiting_ = true;
    const QTextDocument* doc = txtmsg->document();
    QTextCursor c = txtmsg->textCursor();
    c.clearSelection();
    if (c.position() == 0) c.movePosition(QTextCursor::End);
    const int end = c.position();
    int start = end;
    while (over > 0 && start > 0) {
      over -= isLineBreak(doc->characterAt(start - 1)) ? 2 : 1;
      --start;
    }
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    txtmsg->setTextCursor(c);
    limiting_ = false;
  }
  txtmsg_Change();
}

void frmvisita::txtmsg_Change() {
  Label4->setText(kLabel4Text + QString::number(kMessageLimit - messageLength()) +
                  QStringLiteral(" caracteres"));
}

namespace {
int ask(ConfirmBox b) {
  const BoxText& box = confirmBox(b);
  return desktop::MsgBox(box.text, box.style);
}
QDate today() {
  return rt::Date().datePart();
}
}  // namespace

void frmvisita::cmdconfirma_Click() {
  // One trap over the whole click: a failure ends it, the window keeps its choices, and
  // what was already stored stays stored.
  try {
    if (chkmsg->isChecked()) {
      if (ask(ConfirmBox::TickedQuestion) != desktop::vbYes) return;
      writeReminder(nextMonthReminder(today()));
      unload();
      return;
    }
    switch (Opcao) {
      case Sim:
        confirmSim();
        return;
      case Nao:
        if (ask(ConfirmBox::NaoQuestion) != desktop::vbYes) return;
        writeReminder(nextMonthReminder(today()));
        unload();
        return;
      default:
        ask(ConfirmBox::AdiarNotice);
        writeReminder(postponedReminder(loadedData_, loadedHora_, today()));
        unload();
        return;
    }
  } catch (const RuntimeError&) {
  } catch (const std::exception&) {
  }
  try {
    if (Tpc.isOpen() && Tpc.recordset().editMode() != db::EditMode::None)
      Tpc.recordset().CancelUpdate();
  } catch (const std::exception&) {
  }
}

void frmvisita::confirmSim() {
  if (ask(ConfirmBox::SimQuestion) != desktop::vbYes) return;
  // Settings that cannot be read (missing or unfilled file) are told like a failed send.
  std::optional<SupportMail> prepared;
  try {
    prepared.emplace(SupportMail::prepare());
  } catch (const RuntimeError& err) {
    notSent(sendFailedBox(err.message()));
    return;
  }
  SupportMail& mail = *prepared;
  QString tipo;
  if (!EstaConectado(tipo)) {
    notSent(confirmBox(ConfirmBox::NotConnected));
    return;
  }
  writeReminder(nextMonthReminder(today()));
  SupportMailResult result;
  try {
    result =
        mail.complete(messageText(), lblmsg->text(), Tpc.recordset().field(QStringLiteral("cnpj")));
  } catch (const RuntimeError& err) {
    notSent(sendFailedBox(err.message()));
    return;
  }
  if (result != SupportMailResult::Sent) {
    // The connection went between the check and the send.
    notSent(sendFailedBox(QStringLiteral("Não há conexão com a Internet.")));
    return;
  }
  ask(ConfirmBox::SimDone);
  unload();
}

// A request that did not go must not end the reminders: the program may be ended before
// another try, and a reminder date left behind would never be shown again. The reminder
// moves as a postponement would, then the user is told; the window stays for a retry.
void frmvisita::notSent(const BoxText& box) {
  try {
    NextReminder next = nextMonthReminder(today());
    try {
      next = postponedReminder(loadedData_, loadedHora_, today());
    } catch (const RuntimeError&) {
      // A stored reminder that is no date or time: next month's still follows.
    }
    writeReminder(next);
  } catch (const RuntimeError&) {
    try {
      if (Tpc.isOpen() && Tpc.recordset().editMode() != db::EditMode::None)
        Tpc.recordset().CancelUpdate();
    } catch (const std::exception&) {
    }
  }
  desktop::MsgBox(box.text, box.style);
}

void frmvisita::writeReminder(const NextReminder& r) {
  Tpc.Refresh();
  db::Recordset& rs = Tpc.recordset();
  rs.Edit();
  rs.Fields(QStringLiteral("data_visita")) = r.data_visita;
  rs.Fields(QStringLiteral("hora_visita")) = r.hora_visita;
  rs.Update();
}

void frmvisita::unload() {
  if (g_instance == this) g_instance = nullptr;
  hide();
  deleteLater();
}

}  // namespace ark::visits
