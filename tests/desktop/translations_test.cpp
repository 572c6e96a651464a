// The folder picker's own buttons and labels in Portuguese once Qt's texts are installed.
#include "platform/desktop/translations.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

namespace ark::desktop {
namespace {

QStringList shownTexts(QFileDialog& d) {
  QStringList texts;
  for (auto* b : d.findChildren<QPushButton*>()) texts << b->text();
  for (auto* l : d.findChildren<QLabel*>()) texts << l->text();
  return texts;
}

TEST(StandardTexts, TheFolderPickerSpeaksPortuguese) {
  ASSERT_TRUE(useBrazilianStandardTexts(*qApp));
  QFileDialog d;
  d.setOption(QFileDialog::DontUseNativeDialog);
  d.setFileMode(QFileDialog::Directory);
  d.setOption(QFileDialog::ShowDirsOnly);
  const QStringList texts = shownTexts(d);
  EXPECT_FALSE(texts.contains("&Choose")) << texts.join(" | ").toStdString();
  EXPECT_FALSE(texts.contains("Cancel")) << texts.join(" | ").toStdString();
  EXPECT_TRUE(texts.contains("Cancelar")) << texts.join(" | ").toStdString();
}

}  // namespace
}  // namespace ark::desktop
