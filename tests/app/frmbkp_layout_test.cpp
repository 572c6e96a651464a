// The main window's controls: captions, tooltips, places that do not cover each other, and
// a picture of the window in both editor states for a person to look at.
#include <QDir>
#include <QGroupBox>
#include <QLabel>

#include "editor_fixture.h"

namespace ark::app::test {
namespace {

class LayoutTest : public FrmbkpTest {};

QString caption(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return {};
}

TEST_F(LayoutTest, CaptionsAndTooltips) {
  open();
  const struct {
    const char* name;
    const char* caption;
    const char* tip;
  } controls[] = {
      {"Fbkp", "Configuração do Backup", ""},
      {"txthora", "", "Hora de Inicialização do Backup"},
      {"txtarquivo", "", "Nome do Arquivo a Ser Gerado"},
      {"Check1", "Sobrepõe", ""},
      {"btorigem1", "...", "Clique aqui para selecionar a Origem do Backup."},
      {"btdestino1", "...", "Clique aqui para selecionar o Destino do Backup."},
      {"btinclui", "&Incluir", "Inclui Registro"},
      {"btaltera", "&Alterar", "Altera Registro"},
      {"btexclui", "&Excluir", "Exclui Registro"},
      {"btFechar", "&Fechar", "Fechar Formulário"},
      {"btok", "&Gravar", "Grava Registro"},
      {"btcancel", "&Cancelar", "Cancela Registro"},
      {"Check2", "Contrato", ""},
  };
  for (const auto& c : controls) {
    auto* control = w->findChild<QWidget*>(c.name);
    ASSERT_TRUE(control) << c.name;
    EXPECT_EQ(caption(control), QString::fromUtf8(c.caption)) << c.name;
    EXPECT_EQ(control->toolTip(), QString::fromUtf8(c.tip)) << c.name;
  }
  QStringList labels;
  for (QLabel* l : w->findChildren<QLabel*>()) labels << l->text();
  for (const char* text :
       {"Hora do Backup:", "Nome do Arquivo:", "Origem:", "Destino:", "Atualização Geral:"})
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  EXPECT_EQ(w->txtarquivo->maxLength(), 15);
  EXPECT_EQ(w->txthora->displayText(), "08:00:00");
}

TEST_F(LayoutTest, ControlsKeepTheirPlacesWithoutCoveringEachOther) {
  open();
  EXPECT_EQ(w->size(), QSize(626, 400));
  EXPECT_EQ(w->btok->geometry(), w->btinclui->geometry());
  EXPECT_EQ(w->btcancel->geometry(), w->btaltera->geometry());
  const QList<QWidget*> row{w->btinclui, w->btaltera, w->btexclui, w->btFechar};
  for (int i = 1; i < row.size(); ++i) {
    EXPECT_EQ(row[i]->y(), row[0]->y());
    EXPECT_GT(row[i]->x(), row[i - 1]->geometry().right());
  }
  // The settings row lies below the buttons, in its order.
  const QList<QWidget*> settings{w->cbosistema, w->txtbase, w->MaskEdBox1, w->Check2};
  for (int i = 1; i < settings.size(); ++i)
    EXPECT_GT(settings[i]->x(), settings[i - 1]->geometry().right());
  EXPECT_GT(w->cbosistema->y(), w->btinclui->geometry().bottom());

  // Within each container, the visible controls stay inside and apart.
  for (QWidget* container : {static_cast<QWidget*>(w), static_cast<QWidget*>(w->Fbkp)}) {
    QList<QWidget*> shown;
    for (QObject* o : container->children()) {
      auto* c = qobject_cast<QWidget*>(o);
      if (c && c->isVisibleTo(container) && !c->isWindow()) shown << c;
    }
    for (int i = 0; i < shown.size(); ++i) {
      const QString name = shown[i]->objectName() + " " + caption(shown[i]);
      EXPECT_TRUE(container->rect().contains(shown[i]->geometry())) << name.toStdString();
      for (int j = i + 1; j < shown.size(); ++j)
        EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
            << name.toStdString() << " / " << shown[j]->objectName().toStdString();
    }
  }
}

TEST_F(LayoutTest, PicturesOfBothStates) {
  open();
  const QString folder = QStringLiteral(ARKIVOR_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  settle();
  EXPECT_TRUE(w->grab().save(folder + "/frmbkp-browse.png"));
  w->btinclui->click();
  EXPECT_TRUE(w->grab().save(folder + "/frmbkp-edit.png"));
}

}  // namespace
}  // namespace ark::app::test
