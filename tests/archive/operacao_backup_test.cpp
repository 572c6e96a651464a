// The status-line readers, the archive path rule and the initialisation trap.
#include "archive/operacao_backup.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStringList>

#include "platform/archive/azip.h"
#include "platform/core/clock.h"

// Readable failures (in every file of this test binary, so that all print alike).
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace ark::archive {
namespace {

TEST(StatusLine, FieldsAndPercent) {
  struct Case {
    const char* text;
    int field;
    const char* expected;
  } cases[] = {
      {"a|b|c", 2, "b"}, {"a|b|c", 3, "c"}, {"a|b|c", 4, ""}, {"a|b|c", 0, ""}, {"a|b|c", -1, ""},
      {"a|b|c", 1, "a"}, {"a||c", 2, ""},   {"a||c", 3, "c"}, {"", 1, ""},      {"", 2, ""},
      {"abc", 1, "abc"}, {"|x", 1, ""},     {"|x", 2, "x"},   {"a|b|", 3, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtraiCampo(QString::fromUtf8(c.text), "|", c.field), QString::fromUtf8(c.expected))
        << c.text << " field " << c.field;
  }

  struct Percent {
    const char* line;
    qint16 expected;
  } percents[] = {
      {"ZIP|a|1|f.txt|10|0", 0},  // fewer than seven fields
      {"", 0},
      {"ZIP|a|1|f.txt|10|0|42.5", 42},  // halves to the even neighbour
      {"ZIP|a|1|f.txt|10|0|43.5", 44},
      {"ZIP|a|1|f.txt|10|0|12abc", 12},
      {"ZIP|a|1|f.txt|10|0| 7 |99", 7},
      {"ZIP|a|1|f.txt|10|0|abc", 0},
      {"ZIP|a|1|f.txt|10|0|100", 100},
  };
  for (const Percent& p : percents) {
    EXPECT_EQ(CampoPercentual(QString::fromUtf8(p.line)), p.expected) << p.line;
  }
  EXPECT_EQ(CampoArquivo("ZIP|Compactando|2|relatório.txt|10|0|5"), QString("relatório.txt"));
}

TEST(CaminhoArquivo, StampedOrFixedName) {
  SettableClock relogio(QDateTime(QDate(2026, 12, 7), QTime(22, 5, 30)));
  struct Case {
    const char* destino;
    const char* arquivo;
    bool sobrepoe;
    const char* expected;
  } cases[] = {
      {"/backup/122026", "diario", false, "/backup/122026/diario_07122026_2205.zip"},
      {"/backup/122026", "diario", true, "/backup/122026/diario.zip"},
      {"/backup/122026/", "diario", true, "/backup/122026//diario.zip"},
      {"/backup/122026/", "diario", false, "/backup/122026//diario_07122026_2205.zip"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CaminhoArquivo(c.destino, c.arquivo, c.sobrepoe, relogio), QString(c.expected))
        << c.destino << " " << c.sobrepoe;
  }

  // Early in the year and the day, every part keeps two digits.
  relogio.set(QDateTime(QDate(2027, 1, 2), QTime(3, 4)));
  EXPECT_EQ(CaminhoArquivo("/d", "x", false, relogio), QString("/d/x_02012027_0304.zip"));

  // Without a clock given, the installed one is read.
  ScopedClock instalado(relogio);
  EXPECT_EQ(CaminhoArquivo("/d", "x", false), QString("/d/x_02012027_0304.zip"));
}

// A clock that moves on by a minute at each reading: every part is read separately.
class TickingClock : public Clock {
 public:
  explicit TickingClock(QDateTime t) : t_(std::move(t)) {}
  QDateTime now() const override {
    QDateTime r = t_;
    t_ = t_.addSecs(60);
    return r;
  }

 private:
  mutable QDateTime t_;
};

TEST(CaminhoArquivo, ReadsTheClockPartByPart) {
  // 23:58 on 31 Dec: the readings run past midnight while the name is built.
  TickingClock relogio(QDateTime(QDate(2026, 12, 31), QTime(23, 58)));
  // day read at 23:58, month 23:59, year 00:00 (2027), hour 00:01, minute 00:02.
  EXPECT_EQ(CaminhoArquivo("/d", "x", false, relogio), QString("/d/x_31122027_0002.zip"));
}

TEST(InicializaZip, TrapReportsAndSkipsTheRest) {
  QWidget window;
  QLineEdit first;
  QStringList avisos;
  const AvisoFalhaZip avisa = [&](const QString& m) { avisos << m; };

  InicializaZip(&window, &first, avisa);
  EXPECT_TRUE(avisos.isEmpty());
  EXPECT_EQ(RetornoZip, 0);

  // A control that is not there raises on reading its handle: one message.
  QLineEdit second;
  InicializaZip(&window, nullptr, avisa);
  ASSERT_EQ(avisos, QStringList{"Erro inicializando bibliotecas ZIP"});

  // The installed notifier is used when none is given.
  QStringList instalados;
  setAvisoFalhaZip([&](const QString& m) { instalados << m; });
  InicializaZip(nullptr, &second);
  setAvisoFalhaZip({});
  EXPECT_EQ(instalados, QStringList{"Erro inicializando bibliotecas ZIP"});
}

}  // namespace
}  // namespace ark::archive
