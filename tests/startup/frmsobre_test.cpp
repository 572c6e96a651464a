// The splash: the installation record from the program folder's schedule database, the
// status texts of the bar, and a sound stop when the database cannot be read.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTimer>

#include "app/frmsobre.h"
#include "platform/core/paths.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/msgbox.h"
#include "support/painted.h"
#include "support/schedule_fixture.h"
#include "support/tempdir.h"

using namespace ark;
using app::frmsobre;

namespace {

TEST(Splash, StatusTextsFollowTheBar) {
  struct Case {
    int v;
    const char* text;
  } cases[] = {{1, "Inciando Sistema de Backup"},  {10, "Inciando Sistema de Backup"},
               {11, "Abrindo Banco de Dados"},     {19, "Abrindo Banco de Dados"},
               {20, "Acessando Tabela"},           {30, "Verificando Dados da Tabela"},
               {40, "Verificando Status da Rede"}, {49, "Verificando Status da Rede"},
               {50, "Aguarde..."},                 {59, "Aguarde..."},
               {60, ""}};
  for (const Case& c : cases) EXPECT_EQ(frmsobre::statusFor(c.v), QString::fromUtf8(c.text)) << c.v;
}

TEST(Splash, ShowsTheInstallationRecordOfTheProgramFolder) {
  test::TempDir tmp;
  test::createScheduleDb(tmp.file("backupdovral.mdb"));
  setProgramFolder(tmp.path());
  frmsobre& s = frmsobre::instance();
  s.show();
  EXPECT_EQ(s.lblnome->text(), "Loja Teste");
  EXPECT_EQ(s.lblsistema->text(), "PRAXEL");
  EXPECT_EQ(s.lblpc->text(), "CAIXA-01");
  EXPECT_EQ(s.barra->Max(), 60);
  EXPECT_EQ(s.barra->Value(), 0);
  s.Timer1_Timer();
  EXPECT_EQ(s.barra->Value(), 1);
  EXPECT_EQ(s.lblstatus->text(), "Inciando Sistema de Backup");
  delete &s;
  setProgramFolder({});
}

TEST(Splash, AMissingDatabaseIsNamedAndEndsTheStart) {
  test::TempDir tmp;
  setProgramFolder(tmp.path());
  desktop::ScriptedMsgBox boxes;
  desktop::ScopedMsgBox scoped(boxes);
  frmsobre& s = frmsobre::instance();
  int failed = 0;
  QObject::connect(&s, &frmsobre::failed, [&] { ++failed; });
  s.show();
  EXPECT_EQ(failed, 1);
  ASSERT_EQ(boxes.shown().size(), 1);
  EXPECT_TRUE(boxes.shown()[0].text.contains(tmp.file("backupdovral.mdb")));
  EXPECT_EQ(boxes.shown()[0].title, desktop::kProgramTitle);
  EXPECT_FALSE(s.Timer1->isActive());
  delete &s;
  setProgramFolder({});
}

// Shown on a screen of known size (the offscreen one, 800 x 800), the splash sits at its
// centre, and its status texts are drawn whole.
TEST(Splash, SitsCentredAndShowsItsTextsWhole) {
  test::TempDir tmp;
  test::createScheduleDb(tmp.file("backupdovral.mdb"));
  setProgramFolder(tmp.path());
  frmsobre& s = frmsobre::instance();
  s.show();
  EXPECT_EQ(s.screen()->geometry().size(), QSize(800, 800));
  EXPECT_LE(test::offCentre(&s).manhattanLength(), 1) << test::offCentre(&s).x() << ","
                                                       << test::offCentre(&s).y();
  for (int v = 1; v < 60; ++v) {
    s.lblstatus->setText(frmsobre::statusFor(v));
    EXPECT_TRUE(test::textFits(s.lblstatus)) << s.lblstatus->text().toStdString();
  }
  for (QLabel* l : s.findChildren<QLabel*>())
    EXPECT_TRUE(test::textFits(l)) << l->objectName().toStdString();
  delete &s;
  setProgramFolder({});
}

}  // namespace
