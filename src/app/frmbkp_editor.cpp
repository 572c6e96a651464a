// The schedule editor of the main window: the grid over bdbkp, the frame with the fields
// of the current row, the six buttons, the two folder pickers and the key preview.
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <functional>

#include "app/frmbkp.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/binding.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/dbgrid.h"
#include "platform/desktop/folderpicker.h"
#include "platform/desktop/msgbox.h"
#include "platform/desktop/pictures.h"
#include "platform/desktop/sendkeys.h"
#include "platform/desktop/tray.h"

namespace ark::app {

namespace pictures = desktop::pictures;

QFont controlFont(bool bold) {
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(11);
  f.setBold(bold);
  return f;
}

namespace {

bool safeArchiveName(const QString& name) {
  return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
         name != QLatin1String(".") && name != QLatin1String("..");
}

// Sends key strokes to the active window, as the shell object's Sendkeys does.
void EnviaTeclas(const QString& keys, bool wait) {
  desktop::SendKeys(keys, wait);
}

QLabel* fieldLabel(QWidget* parent, const QString& caption, const QRect& geometry) {
  auto* l = new QLabel(caption, parent);
  l->setGeometry(geometry);
  l->setFont(controlFont(true));
  l->setStyleSheet(QStringLiteral("color: #1f2d44;"));
  return l;
}

// A folder caption: the path on a white, sunken field, as a read-only text box looks.
QLabel* folderLabel(QWidget* parent, const char* name, const QRect& geometry) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(geometry);
  l->setFont(controlFont());
  l->setStyleSheet(QStringLiteral(
      "QLabel { background: white; color: black; border: 1px solid #7f9db9; padding: 0 2px; }"
      "QLabel:disabled { background: #eef1f5; color: #4a4a4a; }"));
  return l;
}

desktop::PictureButton* pictureButton(QWidget* parent, const char* name, const QString& caption,
                                      const QString& tip, pictures::Button picture,
                                      const QRect& geometry) {
  auto* b = new desktop::PictureButton(caption, tip, pictures::buttonPicture(picture), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(geometry);
  b->setFont(controlFont(true));
  return b;
}

// A view operation of a user action: a failure is reported and the caller restores its state.
bool viewOperation(const std::function<void()>& op) {
  try {
    op();
    return true;
  } catch (const RuntimeError& e) {
    desktop::MsgBox(desktop::asSentence(e.message()), desktop::vbCritical);
    return false;
  }
}

}  // namespace

void frmbkp::buildEditor() {
  grade = new desktop::DBGrid(bdbkp,
                              {{QStringLiteral("Hora"), QStringLiteral("horabkp")},
                               {QStringLiteral("Arquivo"), QStringLiteral("nomearquivo")},
                               {QStringLiteral("Origem"), QStringLiteral("origem")},
                               {QStringLiteral("Destino"), QStringLiteral("destino")}},
                              this);
  grade->setObjectName(QStringLiteral("grade"));
  grade->setCaption(QStringLiteral("RELAÇÃO DE BACKUPS"));
  grade->setGeometry(15, 55, 400, 185);
  grade->setFont(controlFont());
  grade->table()->setColumnWidth(0, 62);
  grade->table()->setColumnWidth(1, 90);
  grade->table()->setColumnWidth(2, 110);

  Fbkp = new QGroupBox(QStringLiteral("Configuração do Backup"), this);
  Fbkp->setObjectName(QStringLiteral("Fbkp"));
  Fbkp->setGeometry(425, 52, 186, 192);
  Fbkp->setFont(controlFont(true));
  Fbkp->setStyleSheet(
      QStringLiteral("QGroupBox { background: rgba(255,255,255,200); border: 1px solid #7f9db9;"
                     " border-radius: 3px; margin-top: 8px; color: #1f2d44; }"
                     "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }"
                     // The current row stays readable while the frame is disabled (browse state).
                     "QLineEdit:disabled { color: #303030; background: #f3f5f8; }"
                     "QCheckBox:disabled, QLabel:disabled { color: #4a5566; }"));

  fieldLabel(Fbkp, QStringLiteral("Hora do Backup:"), QRect(8, 20, 104, 20));
  txthora = new desktop::MaskEdBox(Fbkp);
  txthora->setObjectName(QStringLiteral("txthora"));
  txthora->setGeometry(114, 20, 62, 20);
  txthora->setFont(controlFont());
  txthora->setToolTip(QStringLiteral("Hora de Inicialização do Backup"));

  fieldLabel(Fbkp, QStringLiteral("Nome do Arquivo:"), QRect(8, 44, 168, 16));
  txtarquivo = new QLineEdit(Fbkp);
  txtarquivo->setObjectName(QStringLiteral("txtarquivo"));
  txtarquivo->setGeometry(8, 60, 168, 20);
  txtarquivo->setFont(controlFont());
  txtarquivo->setMaxLength(15);
  txtarquivo->setToolTip(QStringLiteral("Nome do Arquivo a Ser Gerado"));

  Check1 = new QCheckBox(QStringLiteral("Sobrepõe"), Fbkp);
  Check1->setObjectName(QStringLiteral("Check1"));
  Check1->setGeometry(8, 84, 168, 18);
  Check1->setFont(controlFont(true));

  fieldLabel(Fbkp, QStringLiteral("Origem:"), QRect(8, 104, 168, 16));
  lblorigem = folderLabel(Fbkp, "lblorigem", QRect(8, 120, 140, 20));
  btorigem1 = new desktop::PictureButton(
      QStringLiteral("..."), QStringLiteral("Clique aqui para selecionar a Origem do Backup."),
      QPixmap(), Fbkp);
  btorigem1->setObjectName(QStringLiteral("btorigem1"));
  btorigem1->setGeometry(152, 120, 24, 20);

  fieldLabel(Fbkp, QStringLiteral("Destino:"), QRect(8, 144, 168, 16));
  lbldestino = folderLabel(Fbkp, "lbldestino", QRect(8, 160, 140, 20));
  btdestino1 = new desktop::PictureButton(
      QStringLiteral("..."), QStringLiteral("Clique aqui para selecionar o Destino do Backup."),
      QPixmap(), Fbkp);
  btdestino1->setObjectName(QStringLiteral("btdestino1"));
  btdestino1->setGeometry(152, 160, 24, 20);

  // One row of four places; Gravar and Cancelar stand on the places of Incluir and Alterar.
  auto place = [](int i) { return QRect(15 + i * 102, 250, 96, 34); };
  btinclui = pictureButton(this, "btinclui", QStringLiteral("&Incluir"),
                           QStringLiteral("Inclui Registro"), pictures::Button::Include, place(0));
  btaltera = pictureButton(this, "btaltera", QStringLiteral("&Alterar"),
                           QStringLiteral("Altera Registro"), pictures::Button::Change, place(1));
  btexclui = pictureButton(this, "btexclui", QStringLiteral("&Excluir"),
                           QStringLiteral("Exclui Registro"), pictures::Button::Delete, place(2));
  btFechar = pictureButton(this, "btFechar", QStringLiteral("&Fechar"),
                           QStringLiteral("Fechar Formulário"), pictures::Button::Close, place(3));
  btok = pictureButton(this, "btok", QStringLiteral("&Gravar"), QStringLiteral("Grava Registro"),
                       pictures::Button::Save, place(0));
  btcancel = pictureButton(this, "btcancel", QStringLiteral("&Cancelar"),
                           QStringLiteral("Cancela Registro"), pictures::Button::Cancel, place(1));

  // Browse state, as designed; Timer1 is started by the load.
  btok->setVisible(false);
  btcancel->setVisible(false);
  Fbkp->setEnabled(false);

  connect(btinclui, &QPushButton::clicked, this, &frmbkp::btinclui_Click);
  connect(btaltera, &QPushButton::clicked, this, &frmbkp::btaltera_Click);
  connect(btexclui, &QPushButton::clicked, this, &frmbkp::btexclui_Click);
  connect(btFechar, &QPushButton::clicked, this, &frmbkp::btFechar_Click);
  connect(btok, &QPushButton::clicked, this, &frmbkp::btok_Click);
  connect(btcancel, &QPushButton::clicked, this, &frmbkp::btcancel_Click);
  connect(btorigem1, &QPushButton::clicked, this, &frmbkp::btorigem1_Click);
  connect(btdestino1, &QPushButton::clicked, this, &frmbkp::btdestino1_Click);
}

void frmbkp::bindEditor() {
  desktop::bindMask(bdbkp, QStringLiteral("horabkp"), txthora);
  desktop::bindText(bdbkp, QStringLiteral("nomearquivo"), txtarquivo);
  desktop::bindLabel(bdbkp, QStringLiteral("origem"), lblorigem);
  desktop::bindLabel(bdbkp, QStringLiteral("destino"), lbldestino);
  desktop::bindCheck(bdbkp, QStringLiteral("sobrepoe"), Check1);
}

void frmbkp::setTabOrder() {
  const QList<QWidget*> order{
      txthora, txtarquivo,     Check1,   btorigem1, btdestino1, cbosistema, txtbase,  MaskEdBox1,
      btok,    grade->table(), btexclui, btcancel,  btaltera,   btinclui,   btFechar, Check2};
  for (int i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  grade->table()->setFocusPolicy(Qt::StrongFocus);
  // From its own place in the chain the grid's frame would hand the focus to its table out
  // of the window's order: only the table takes the focus, in its place above.
  grade->setFocusProxy(nullptr);
  for (QWidget* w : {static_cast<QWidget*>(lblorigem), static_cast<QWidget*>(lbldestino)})
    w->setFocusPolicy(Qt::NoFocus);

  // The window sees every key press before its controls.
  const QList<QWidget*> children = findChildren<QWidget*>();
  for (QWidget* w : children) w->installEventFilter(this);
}

void frmbkp::setEditState(bool edit) {
  editing_ = edit;
  btinclui->setVisible(!edit);
  btaltera->setVisible(!edit);
  btexclui->setEnabled(!edit);
  btFechar->setEnabled(!edit);
  btok->setVisible(edit);
  btcancel->setVisible(edit);
  Fbkp->setEnabled(edit);
  grade->setEnabled(!edit);
  if (edit)
    Timer1->stop();
  else
    Timer1->start();
}

void frmbkp::btinclui_Click() {
  setEditState(true);
  if (!viewOperation([this] { bdbkp.recordset().AddNew(); })) {
    setEditState(false);
    return;
  }
  txthora->setText(desktop::MaskEdBox::kEmpty);
  txthora->setFocus();
}

void frmbkp::btaltera_Click() {
  long count = 0;
  if (!viewOperation([&] { count = bdbkp.recordset().RecordCount(); })) return;
  if (count == 0) return;
  setEditState(true);
  if (!viewOperation([this] { bdbkp.recordset().Edit(); })) {
    setEditState(false);
    return;
  }
  txthora->setFocus();
}

void frmbkp::btok_Click() {
  struct Check {
    std::function<bool()> fails;
    QString message;
    QWidget* focus;
  };
  const Check checks[] = {
      {[this] { return lblorigem->text().isEmpty(); },
       QStringLiteral("Favor Informar a Origem do Backup"), btorigem1},
      {[this] { return lbldestino->text().isEmpty(); },
       QStringLiteral("Favor Informar o Destino do Backup"), btdestino1},
      {[this] { return txtarquivo->text().isEmpty(); },
       QStringLiteral("Favor Informar um Nome Para o Arquivo do Backup"), txtarquivo},
      {[this] { return !rt::IsDate(Value(txthora->text())); },
       QStringLiteral("Favor Informar uma Hora Válida!"), txthora},
      // The name becomes a file of the month folder: it must not lead out of it.
      {[this] { return !safeArchiveName(txtarquivo->text()); },
       QStringLiteral("Favor Informar um Nome de Arquivo Válido (sem \"/\" ou \"\\\")"),
       txtarquivo},
  };
  for (const Check& c : checks) {
    if (c.fails()) {
      desktop::MsgBox(c.message, desktop::vbInformation);
      c.focus->setFocus();
      return;
    }
  }
  setEditState(false);
  db::Recordset* rs = nullptr;
  const bool stored = viewOperation([&] {
    rs = &bdbkp.recordset();
    rs->Update();
  });
  if (!stored) {
    // The pending row is still there: the user may correct and store it again.
    setEditState(true);
    txthora->setFocus();
    return;
  }
  viewOperation([&] { rs->setBookmark(rs->LastModified()); });
}

void frmbkp::btcancel_Click() {
  setEditState(false);
  viewOperation([this] {
    db::Recordset& rs = bdbkp.recordset();
    rs.CancelUpdate();
    // Show the row as stored again, so that the dropped changes are not written back by
    // the refresh's saving of bound edits.
    if (rs.currentIndex() >= 0) rs.setBookmark(rs.bookmark());
    bdbkp.Refresh();
  });
}

void frmbkp::btexclui_Click() {
  long count = 0;
  if (!viewOperation([&] { count = bdbkp.recordset().RecordCount(); })) return;
  if (count == 0) return;
  if (desktop::MsgBox(QStringLiteral("Excluir o Backup Programado?"),
                      desktop::vbYesNo | desktop::vbQuestion) != desktop::vbYes)
    return;
  viewOperation([this] {
    bdbkp.recordset().Delete();
    bdbkp.Refresh();
  });
}

void frmbkp::btFechar_Click() {
  setWindowState(windowState() | Qt::WindowMinimized);
  hide();
  TrayIcon1->setShowIcon(true);
}

void frmbkp::btorigem1_Click() {
  if (const auto path =
          desktop::BrowseForFolder(this, QStringLiteral("Selecione a Origem dos Dados:")))
    lblorigem->setText(*path);
}

void frmbkp::btdestino1_Click() {
  if (const auto path =
          desktop::BrowseForFolder(this, QStringLiteral("Selecione a Pasta de Destino do Backup:")))
    lbldestino->setText(*path);
}

// The grid makes the chosen row current in bdbkp itself; the bound controls follow.
void frmbkp::grade_RowColChange() {}

bool frmbkp::previewKey(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
      EnviaTeclas(QStringLiteral("{tab}"), false);
      return true;
    case Qt::Key_Escape:
      // btFechar is the cancel button: Esc presses it while it is enabled.
      if (!btFechar->isEnabled()) return false;
      btFechar->click();
      return true;
    default:
      return false;
  }
}

void frmbkp::keyPressEvent(QKeyEvent* e) {
  if (previewKey(e)) return;
  QWidget::keyPressEvent(e);
}

bool frmbkp::eventFilter(QObject* watched, QEvent* e) {
  // A wheel turned over the system list while passing by would change the installed system
  // and its base folder: it only scrolls the list that has the focus.
  if (e->type() == QEvent::Wheel && watched == cbosistema && !cbosistema->hasFocus()) {
    e->ignore();
    return true;
  }
  if (e->type() == QEvent::KeyPress) {
    auto* w = qobject_cast<QWidget*>(watched);
    // Popups (the combo's list) keep their own keys.
    if (w && w->window() == this && previewKey(static_cast<QKeyEvent*>(e))) return true;
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace ark::app
