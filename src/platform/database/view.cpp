// A data control: the file, connect string and record source of a recordset, and the
// controls bound to its fields.
#include <QtDebug>
#include <algorithm>

#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::db {

View::View(QString name, QString connect, QString recordSource)
    : name_(std::move(name)),
      connect_(std::move(connect)),
      recordSource_(std::move(recordSource)) {}

View::~View() = default;

namespace {
std::shared_ptr<Database> openFile(const QString& path, const QString& view) {
  if (path.isEmpty())
    throw RuntimeError(
        3024, QStringLiteral("Nenhum arquivo de banco de dados definido para %1.").arg(view));
  // The connect string's type and password need nothing here: a file without a password
  // opens whatever password is given.
  return Database::open(path);
}
}  // namespace

Database& View::database() {
  if (rs_) return *rs_->sharedDatabase();
  db_ = openFile(databaseName_, name_);
  return *db_;
}

void View::attach() {
  rs_->setViewHooks(
      [this] {
        showBound();
        for (const auto& f : std::as_const(listeners_)) f();
      },
      [this] {
        if (savingBoundEdits_) return;
        for (const Binding& b : std::as_const(bindings_))
          if (b.read) assignBinding(b);
      },
      [this] {
        for (const Binding& b : std::as_const(bindings_))
          if (b.clean) b.clean();
      });
}

Recordset& View::recordset() {
  if (!rs_) {
    db_ = openFile(databaseName_, name_);
    rs_ = std::make_unique<Recordset>(db_, recordSource_, name_);
    attach();
    rs_->notifyCurrentChanged();
  }
  return *rs_;
}

void View::Refresh() {
  reopen(false);
}

void View::RefreshToRead() {
  reopen(true);
}

void View::reopen(bool readNext) {
  saveBoundEdits();
  if (!rs_) {
    recordset();
    return;
  }
  // The same file stays on its shared connection; a view re-pointed elsewhere opens anew.
  if (!db_ || db_->path() != databaseName_) db_ = openFile(databaseName_, name_);
  rs_->open(db_, recordSource_, readNext);
}

void View::assignBinding(const Binding& b) {
  Value v = b.read();
  // An emptied control leaves no value in a field that is not a text.
  if (v.isText() && v.text().isEmpty() && rs_->writeKind(b.field) != FieldKind::Text)
    v = Value::null();
  rs_->setField(b.field, v);
}

void View::bind(Binding b) {
  bindings_.append(std::move(b));
  if (rs_) showBound();
}

void View::saveBoundEdits() {
  if (!rs_) return;
  QVector<const Binding*> dirty;
  for (const Binding& b : std::as_const(bindings_))
    if (b.read && b.dirty && b.dirty()) dirty.append(&b);
  if (dirty.isEmpty()) return;
  // A pending Edit or AddNew takes the bound values at its own Update; with no current
  // row there is nothing to write them into.
  if (rs_->editMode() != EditMode::None || !rs_->hasCurrentRow()) return;
  rs_->Edit();
  try {
    for (const Binding* b : std::as_const(dirty)) assignBinding(*b);
    savingBoundEdits_ = true;
    rs_->Update();
    savingBoundEdits_ = false;
  } catch (...) {
    savingBoundEdits_ = false;
    rs_->CancelUpdate();
    throw;
  }
}

void View::addCurrentChangedListener(std::function<void()> f) {
  listeners_.append(std::move(f));
}

void View::showBound() {
  // A view without bound controls leaves its set unread until code reads it.
  if (!rs_ || std::none_of(bindings_.begin(), bindings_.end(),
                           [](const Binding& b) { return bool(b.show); }))
    return;
  const bool row = rs_->editMode() != EditMode::None || rs_->hasCurrentRow();
  for (const Binding& b : std::as_const(bindings_)) {
    if (!b.show) continue;
    Value v = Value::null();
    if (row) {
      try {
        v = rs_->field(b.field);
      } catch (const RuntimeError& e) {
        qWarning("%s", e.what());
      }
    }
    b.show(v);
  }
}

}  // namespace ark::db
