// The schedule editor of the main window (to be completed).
#include "app/frmbkp.h"

#include <QEvent>
#include <QKeyEvent>

namespace ark::app {

void frmbkp::buildEditor() {}
void frmbkp::bindEditor() {}
void frmbkp::setTabOrder() {}
void frmbkp::setEditState(bool edit) { editing_ = edit; }
void frmbkp::btinclui_Click() {}
void frmbkp::btaltera_Click() {}
void frmbkp::btok_Click() {}
void frmbkp::btcancel_Click() {}
void frmbkp::btexclui_Click() {}
void frmbkp::btFechar_Click() {}
void frmbkp::btorigem1_Click() {}
void frmbkp::btdestino1_Click() {}
void frmbkp::grade_RowColChange() {}
void frmbkp::keyPressEvent(QKeyEvent* e) { QWidget::keyPressEvent(e); }
bool frmbkp::eventFilter(QObject* watched, QEvent* e) { return QWidget::eventFilter(watched, e); }

}  // namespace ark::app
