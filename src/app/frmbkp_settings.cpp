// The installation settings panel of the main window: the first pcs row through Tpc.
// Each control writes its edit into pcs as soon as that edit is finished; a refresh of
// Tpc writes whatever else is still pending first and leaves the edit in progress alone.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

#include "app/frmbkp.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/binding.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/msgbox.h"

namespace ark::app {

namespace {

// The default database folder of each system code, compared exactly.
struct SystemFolder {
  const char* code;
  const char* folder;
};
constexpr SystemFolder kDefaultFolders[] = {
    {"NEGOX", "/Program Files/Sistema Negox/Base/"},
    {"VIGO", "/Sistema Vigo/"},
    {"PRAXEL", "/Sistema Praxel/Base/"},
};

constexpr int kSistemaWidth = 10;  // the width of pcs.sistema
constexpr int kBaseWidth = 100;

// A time the pcs row can hold: every digit given and a real time of day.
bool storableTime(const QString& shown) {
  return !shown.contains(QLatin1Char('_')) && rt::IsDate(Value(shown));
}

bool hasCurrentRow(db::View& view) {
  return view.isOpen() && view.recordset().currentIndex() >= 0;
}

}  // namespace

void frmbkp::buildSettings() {
  auto* title = new QLabel(QStringLiteral("Atualização Geral:"), this);
  title->setObjectName(QStringLiteral("lblatualizacao"));
  title->setGeometry(15, 298, 200, 16);
  title->setFont(controlFont(true));
  title->setStyleSheet(QStringLiteral("color: #1f2d44;"));

  cbosistema = new QComboBox(this);
  cbosistema->setObjectName(QStringLiteral("cbosistema"));
  cbosistema->setEditable(true);
  cbosistema->addItems({QStringLiteral("NEGOX"), QStringLiteral("PRAXEL"), QStringLiteral("VIGO")});
  // A typed code stays as typed: no completion, no new list entry.
  cbosistema->setCompleter(nullptr);
  cbosistema->setInsertPolicy(QComboBox::NoInsert);
  cbosistema->lineEdit()->setMaxLength(kSistemaWidth);
  // Qt's combo reports a typed text that equals an entry as activated when the typing
  // ends; only a pick from the list is one here.
  QObject::disconnect(cbosistema->lineEdit(), &QLineEdit::editingFinished, cbosistema, nullptr);
  cbosistema->setEditText(QString());
  cbosistema->setGeometry(15, 316, 110, 22);
  cbosistema->setFocusPolicy(Qt::StrongFocus);  // the wheel does not take the focus

  txtbase = new QLineEdit(this);
  txtbase->setObjectName(QStringLiteral("txtbase"));
  txtbase->setMaxLength(kBaseWidth);
  txtbase->setToolTip(QStringLiteral("Local da Base de Dados"));
  txtbase->setGeometry(131, 316, 300, 22);

  MaskEdBox1 = new desktop::MaskEdBox(this);
  MaskEdBox1->setObjectName(QStringLiteral("MaskEdBox1"));
  MaskEdBox1->setToolTip(QStringLiteral("Hora de Inicialização da Atualização"));
  MaskEdBox1->setGeometry(437, 316, 72, 22);

  Check2 = new QCheckBox(QStringLiteral("Contrato"), this);
  Check2->setObjectName(QStringLiteral("Check2"));
  Check2->setGeometry(519, 316, 92, 22);

  for (QWidget* w : {static_cast<QWidget*>(cbosistema), static_cast<QWidget*>(txtbase),
                     static_cast<QWidget*>(MaskEdBox1), static_cast<QWidget*>(Check2)}) {
    w->setFont(w == Check2 ? controlFont(true) : controlFont());
    w->setEnabled(false);  // until Tpc stands on a row
  }
  Check2->setStyleSheet(QStringLiteral("color: #1f2d44;"));

  connect(cbosistema, &QComboBox::activated, this, &frmbkp::cbosistema_Click);
  connect(Check2, &QCheckBox::clicked, this, &frmbkp::saveSettings);
  // Leaving a text control finishes its edit (Enter leaves it too, as a Tab).
  connect(qApp, &QApplication::focusChanged, &settingsWatch_,
          [this](QWidget* old, QWidget* now) { settingsFocusChanged(old, now); });
}

void frmbkp::bindSettings() {
  // The triggers refresh Tpc every minute or so: what the user is typing stays as typed,
  // caret included, and is written when the edit is finished.
  Tpc.bind(desktop::keepWhileTyping(desktop::comboBinding(QStringLiteral("sistema"), cbosistema),
                                    cbosistema->lineEdit()));
  Tpc.bind(
      desktop::keepWhileTyping(desktop::textBinding(QStringLiteral("base"), txtbase), txtbase));
  // An unfinished or impossible time is never written, not even by a refresh.
  db::Binding hora = desktop::maskBinding(QStringLiteral("hora_atualizacao"), MaskEdBox1);
  hora.dirty = [box = MaskEdBox1, dirty = hora.dirty] {
    const QString shown = box->text();
    return dirty() && (shown == desktop::MaskEdBox::kEmpty || storableTime(shown));
  };
  Tpc.bind(desktop::keepWhileTyping(hora, MaskEdBox1));
  desktop::bindCheck(Tpc, QStringLiteral("contrato"), Check2);

  Tpc.addCurrentChangedListener([this] {
    const bool row = hasCurrentRow(Tpc);
    for (QWidget* w : {static_cast<QWidget*>(cbosistema), static_cast<QWidget*>(txtbase),
                       static_cast<QWidget*>(MaskEdBox1), static_cast<QWidget*>(Check2)})
      w->setEnabled(row);
  });
}

void frmbkp::cbosistema_Click() {
  const QString code = cbosistema->currentText();
  for (const SystemFolder& s : kDefaultFolders) {
    if (code == QLatin1String(s.code)) {
      txtbase->setText(QString::fromLatin1(s.folder));
      break;
    }
  }
  // A pick finishes the combo's edit, even over a typed text equal to the entry.
  cbosistema->lineEdit()->setModified(false);
  saveSettings();
}

void frmbkp::saveSettings() {
  // The box below takes the focus, which would finish the same edit again.
  if (savingSettings_) return;
  const QScopedValueRollback<bool> saving(savingSettings_, true);
  try {
    if (!hasCurrentRow(Tpc)) return;
    Tpc.saveBoundEdits();
  } catch (const RuntimeError& e) {
    desktop::MsgBox(desktop::asSentence(e.message()), desktop::vbCritical);
    // Told once: the panel shows what pcs holds again, so that the triggers' refreshes do
    // not meet the same refusal on every tick.
    Tpc.discardBoundEdits();
  }
}

void frmbkp::MaskEdBox1_Validate() {
  const QString shown = MaskEdBox1->text();
  if (shown == desktop::MaskEdBox::kEmpty || storableTime(shown)) {
    saveSettings();
    return;
  }
  validatingTime_ = true;
  desktop::MsgBox(QStringLiteral("Favor Informar uma Hora Válida!"), desktop::vbInformation);
  // Back to what pcs holds.
  Value stored = Value::null();
  try {
    if (hasCurrentRow(Tpc)) stored = Tpc.recordset().field(QStringLiteral("hora_atualizacao"));
  } catch (const RuntimeError& e) {
    desktop::MsgBox(desktop::asSentence(e.message()), desktop::vbCritical);
  }
  desktop::maskBinding(QStringLiteral("hora_atualizacao"), MaskEdBox1).show(stored);
  validatingTime_ = false;
}

void frmbkp::settingsFocusChanged(QWidget* old, QWidget* now) {
  if (validatingTime_) return;
  auto control = [this](QWidget* w) -> QWidget* {
    for (QWidget* c : {static_cast<QWidget*>(cbosistema), static_cast<QWidget*>(txtbase),
                       static_cast<QWidget*>(MaskEdBox1)})
      if (w && (w == c || c->isAncestorOf(w))) return c;
    return nullptr;
  };
  QWidget* left = control(old);
  if (!left || control(now) == left) return;
  if (left == MaskEdBox1)
    MaskEdBox1_Validate();
  else
    saveSettings();
}

}  // namespace ark::app
