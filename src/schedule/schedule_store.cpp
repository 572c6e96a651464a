#include "schedule/schedule_store.h"

#include "platform/core/paths.h"

namespace ark::schedule {

QString scheduleDatabasePath(const QString& programFolder) {
  return joinPath(programFolder, QStringLiteral("backupdovral.mdb"));
}

namespace {
std::unique_ptr<db::View> view(const QString& name, const QString& connect, const QString& source) {
  return std::make_unique<db::View>(name, connect, source);
}
}  // namespace

std::unique_ptr<db::View> frmbkpTpc() {
  return view(QStringLiteral("Tpc"), kConnectPlain, kSourcePcs);
}
std::unique_ptr<db::View> frmbkpTbkp() {
  return view(QStringLiteral("Tbkp"), kConnectPassword, kSourceBackup);
}
std::unique_ptr<db::View> frmbkpBdbkp() {
  return view(QStringLiteral("bdbkp"), kConnectPassword, kSourceBackup);
}
std::unique_ptr<db::View> frmsobreTpc() {
  return view(QStringLiteral("Tpc"), kConnectPassword, kSourcePcs);
}
std::unique_ptr<db::View> frmvisitaTpc() {
  return view(QStringLiteral("Tpc"), kConnectPlain, kSourcePcs);
}

}  // namespace ark::schedule
