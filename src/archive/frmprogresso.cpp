#include "archive/frmprogresso.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <exception>

#include "archive/operacao_backup.h"
#include "archive/run_parameters.h"
#include "platform/core/paths.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/dpi.h"
#include "platform/desktop/pictures.h"

namespace ark::archive {

using desktop::tw;

namespace {
frmprogresso* g_instance = nullptr;
frmprogresso::Outcome g_outcome;

}  // namespace

frmprogresso& frmprogresso::instance() {
  if (!g_instance) {
    g_instance = new frmprogresso;
    g_instance->Form_Load();
  }
  return *g_instance;
}

bool frmprogresso::exists() {
  return g_instance != nullptr;
}

frmprogresso::Outcome frmprogresso::lastOutcome() {
  return g_outcome;
}

frmprogresso::frmprogresso()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("frmprogresso"));
  setWindowTitle(QStringLiteral("Arkivor - Backup em andamento"));
  setFixedSize(tw(9045), tw(5415));
  setModal(true);
  desktop::keepCentred(this);
  // Drawn once: the window repaints all through the run.
  background_ = desktop::pictures::progressBackground();

  lbldt = desktop::makeLabel(this, "lbldt", QRect(tw(5900), tw(200), tw(2900), tw(300)), 9, true,
                             Qt::AlignRight | Qt::AlignVCenter);
  lblhr = desktop::makeLabel(this, "lblhr", QRect(tw(5900), tw(500), tw(2900), tw(300)), 9, true,
                             Qt::AlignRight | Qt::AlignVCenter);
  lblhr->setText(QStringLiteral("00:00:00"));
  desktop::makeLabel(this, "lblorigemcap", QRect(tw(300), tw(1300), tw(1300), tw(300)), 9, true)
      ->setText(QStringLiteral("Origem:"));
  lblorigem =
      desktop::makeLabel(this, "lblorigem", QRect(tw(1600), tw(1300), tw(7200), tw(300)), 9, false);
  desktop::makeLabel(this, "lbldestinocap", QRect(tw(300), tw(1700), tw(1300), tw(300)), 9, true)
      ->setText(QStringLiteral("Destino:"));
  lbldestino = desktop::makeLabel(this, "lbldestino", QRect(tw(1600), tw(1700), tw(7200), tw(300)),
                                  9, false);
  lblstatus =
      desktop::makeLabel(this, "lblstatus", QRect(tw(300), tw(2500), tw(8450), tw(300)), 8, false);
  lblarq =
      desktop::makeLabel(this, "lblarq", QRect(tw(300), tw(3300), tw(8450), tw(300)), 8, false);
  for (QLabel* l : {lbldt, lblhr, lblorigem, lbldestino, lblstatus, lblarq})
    l->setTextFormat(Qt::PlainText);

  barra = new desktop::ProgressBar(this);
  barra->setObjectName(QStringLiteral("barra"));
  barra->setGeometry(tw(300), tw(3900), tw(8450), tw(345));

  txtZip = new QLineEdit(this);
  txtZip->setObjectName(QStringLiteral("txtZip"));
  txtZip->setVisible(false);
  connect(txtZip, &QLineEdit::textChanged, this, &frmprogresso::txtZip_Change);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &frmprogresso::Timer1_Timer);
  Timer1->start();
}

frmprogresso::~frmprogresso() {
  if (g_instance == this) g_instance = nullptr;
}

void frmprogresso::Form_Load() {
  InicializaZip(this, txtZip);
}

void frmprogresso::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (activated_) return;
  activated_ = true;
  // The run starts once the window has been painted.
  QTimer::singleShot(0, this, &frmprogresso::Form_Activate);
}

void frmprogresso::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, background_);
}

void frmprogresso::Form_Activate() {
  // The run holds the thread from here on: the window must be on screen first.
  desktop::waitUntilExposed(this);
  lbldt->setText(rt::Format(rt::Date(), QStringLiteral("dd/mmm/yyyy")));
  lblhr->setText(rt::Format(rt::Time(), QStringLiteral("hh:mm:ss")));
  lblorigem->setText(BkpOrigem);
  lbldestino->setText(BkpDestino);
  // A separator in the base name would put the archive outside the month folder.
  if (const QString motivo = MotivoNomeArquivo(BkpArquivo); !motivo.isEmpty()) {
    g_outcome = Outcome{false, {}, motivo};
    unload();
    return;
  }
  QString caminho = CaminhoArquivo(BkpDestino, BkpArquivo, BkpSobrepoe);
  lblstatus->setText(caminho + QStringLiteral("     "));
  if (!BkpSobrepoe) caminho = CaminhoArquivo(BkpDestino, BkpArquivo, BkpSobrepoe);
  RetornoZip = 0;
  RetornoZipMotivo.clear();
  g_outcome = Outcome{false, caminho, {}};
  // An error raised while the library works (by a status line's handler) must still end
  // the run here: left to the event loop, this window would never unload and later runs
  // would find it stuck, reporting the outcome of an older run.
  try {
    CompactaPasta(caminho, joinPath(BkpOrigem, QStringLiteral("*.*")));
    g_outcome = Outcome{RetornoZip == 0, caminho, RetornoZipMotivo};
  } catch (const RuntimeError& e) {
    g_outcome.reason = e.message();
  } catch (const std::exception& e) {
    g_outcome.reason = QString::fromUtf8(e.what());
  } catch (...) {
  }
  if (!g_outcome.written && g_outcome.reason.isEmpty())
    g_outcome.reason = QStringLiteral("O arquivo de backup não foi gravado: %1").arg(caminho);
  unload();
}

void frmprogresso::txtZip_Change() {
  // A folder of small files gives lines far faster than a screen shows them: the bar and
  // the file label follow the latest line at most once a frame, and the last line, the
  // full bar; the time goes to the archive. They are set before the pump, so the file
  // painted is the file in hand.
  const QString line = txtZip->text();
  const qint16 percent = CampoPercentual(line);
  if (!pacer_.due() && percent < 100) return;
  barra->setValue(percent);
  lblarq->setText(CampoArquivo(line));
  pacer_.pump();
}

void frmprogresso::Timer1_Timer() {
  lblhr->setText(rt::Format(rt::Time(), QStringLiteral("hh:mm:ss")));
}

void frmprogresso::unload() {
  if (g_instance == this) g_instance = nullptr;
  done(0);
  deleteLater();
}

}  // namespace ark::archive
