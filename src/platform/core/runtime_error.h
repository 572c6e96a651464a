#pragma once
// The one error type of the program: a run-time error with a number and a Portuguese
// message naming what was involved (field, table, file).
#include <QString>
#include <exception>
#include <string>

namespace ark {

class RuntimeError : public std::exception {
 public:
  RuntimeError(int number, QString message) : number_(number), message_(std::move(message)) {
    utf8_ = message_.toStdString();
  }
  int number() const { return number_; }
  const QString& message() const { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  int number_;
  QString message_;
  std::string utf8_;
};

namespace errors {
// The runtime's own numbers and texts; `context` (a field, table or file) is appended.
inline constexpr int kOverflow = 6;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInvalidUseOfNull = 94;
inline constexpr int kNoCurrentRecord = 3021;
inline constexpr int kDatabase = 3001;

RuntimeError overflow(const QString& context = {});
RuntimeError typeMismatch(const QString& context = {});
RuntimeError invalidUseOfNull(const QString& context = {});
RuntimeError noCurrentRecord(const QString& context = {});
RuntimeError database(const QString& message, const QString& context = {});
}  // namespace errors

}  // namespace ark
