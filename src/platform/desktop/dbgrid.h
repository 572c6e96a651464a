#pragma once
// The data-bound grid: the rows of a view under a caption, read-only, one whole row
// current; choosing a row makes it the view's current row, so the bound controls follow.
#include <QAbstractTableModel>
#include <QFrame>
#include <QVector>

#include "platform/database/database.h"

class QLabel;
class QTableView;

namespace ark::desktop {

struct GridColumn {
  QString caption;
  QString field;
};

// The rows of a view as a table model; values shown as their text form.
class ViewModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  ViewModel(db::View& view, QVector<GridColumn> columns, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  // Takes in the view's rows again: a new set (Refresh, AddNew, Delete) or changed values.
  void reload();

 private:
  db::View& view_;
  QVector<GridColumn> columns_;
  int rows_ = 0;
};

class DBGrid : public QFrame {
  Q_OBJECT

 public:
  DBGrid(db::View& view, QVector<GridColumn> columns, QWidget* parent = nullptr);

  void setCaption(const QString& caption);
  QString caption() const;
  QTableView* table() const { return table_; }
  ViewModel* model() const { return model_; }

  // Follows the view's current row (the view calls it whenever the row or the set changes).
  void sync();

 private:
  void rowChosen(int row);

  db::View& view_;
  ViewModel* model_;
  QLabel* caption_;
  QTableView* table_;
  bool syncing_ = false;
};

}  // namespace ark::desktop
