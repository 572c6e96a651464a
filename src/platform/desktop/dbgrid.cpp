// The data-bound grid over a view.
#include "platform/desktop/dbgrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/msgbox.h"

namespace ark::desktop {

ViewModel::ViewModel(db::View& view, QVector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), view_(view), columns_(std::move(columns)) {}

int ViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int ViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(columns_.size());
}

QVariant ViewModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || !view_.isOpen()) return {};
  try {
    return rt::Text(view_.recordset().valueAt(index.row(), columns_.at(index.column()).field));
  } catch (const RuntimeError&) {
    return {};
  }
}

QVariant ViewModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (o == Qt::Horizontal) return columns_.value(section).caption;
  return QString();  // row selectors carry no number
}

void ViewModel::reload() {
  const int rows = view_.isOpen() ? view_.recordset().size() : 0;
  if (rows != rows_) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
  } else if (rows_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, int(columns_.size()) - 1), {Qt::DisplayRole});
  }
}

DBGrid::DBGrid(db::View& view, QVector<GridColumn> columns, QWidget* parent)
    : QFrame(parent), view_(view) {
  model_ = new ViewModel(view, std::move(columns), this);
  caption_ = new QLabel(this);
  caption_->setAlignment(Qt::AlignCenter);
  caption_->setStyleSheet(
      QStringLiteral("background:#3b4a63;color:white;font-weight:bold;padding:2px;"));
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("table"));
  table_->setModel(model_);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  // Tab leaves the grid for the next control, as in the other windows' grids.
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->setDefaultSectionSize(20);
  table_->verticalHeader()->setFixedWidth(14);
  table_->horizontalHeader()->setStretchLastSection(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(caption_);
  layout->addWidget(table_);
  setFocusProxy(table_);
  setFrameShape(QFrame::StyledPanel);

  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) rowChosen(current.row());
          });
  // The view keeps its listeners for its own lifetime; the grid may go first.
  QPointer<DBGrid> self(this);
  view_.addCurrentChangedListener([self] {
    if (self) self->sync();
  });
  sync();
}

void DBGrid::setCaption(const QString& caption) {
  caption_->setText(caption);
}
QString DBGrid::caption() const {
  return caption_->text();
}

void DBGrid::sync() {
  if (syncing_) return;
  syncing_ = true;
  model_->reload();
  const int row = view_.isOpen() ? view_.recordset().currentIndex() : -1;
  if (row >= 0 && row < model_->rowCount()) {
    const QModelIndex idx = model_->index(row, 0);
    table_->selectionModel()->setCurrentIndex(
        idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table_->scrollTo(idx);
  } else {
    table_->selectionModel()->clear();
  }
  syncing_ = false;
}

void DBGrid::rowChosen(int row) {
  if (syncing_ || !view_.isOpen()) return;
  db::Recordset& rs = view_.recordset();
  if (rs.currentIndex() == row) return;
  try {
    // Moving off a row writes its bound edits, as the data control does.
    view_.saveBoundEdits();
    rs.setCurrentIndex(row);
  } catch (const RuntimeError& e) {
    MsgBox(asSentence(e.message()), vbCritical);
    sync();
  }
}

}  // namespace ark::desktop
