#pragma once
// The main window: tray icon and menu, clock labels, the schedule editor, the installation
// settings panel and the five timers that start all work. Hidden, never unloaded.
#include <QFont>
#include <QWidget>
#include <memory>

#include "platform/database/database.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QTimer;
class QWindow;

namespace ark::desktop {
class TrayIcon;
class MaskEdBox;
class PictureButton;
class DBGrid;
}  // namespace ark::desktop

namespace ark::app {

// The font of the editor's and the settings panel's controls: Tahoma, 11 pixels.
QFont controlFont(bool bold = false);  // frmbkp_editor.cpp

class frmbkp : public QWidget {
  Q_OBJECT

 public:
  // The single instance, created (and loaded) on first use.
  static frmbkp& instance();
  static bool exists();
  ~frmbkp() override;

  // Views of the schedule database.
  db::View Tpc{QStringLiteral("Tpc"), QStringLiteral("Access 2000;"), QStringLiteral("pcs")};
  db::View Tbkp{QStringLiteral("Tbkp"), QStringLiteral("Access 2000;pwd=83luas"),
                QStringLiteral("select * from backup order by horabkp")};
  db::View bdbkp{QStringLiteral("bdbkp"), QStringLiteral("Access 2000;pwd=83luas"),
                 QStringLiteral("select * from backup order by horabkp")};

  // Event handlers, named after their events.
  void Form_Load();
  void Form_Activate();
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  void Timer4_Timer();
  void Timer6_Timer();
  void TrayIcon1_DblClick();
  void TrayIcon1_MouseClick(int button);
  void mnuconfig_Click();
  void mnufechar_Click();

  // Schedule editor.
  void btinclui_Click();
  void btaltera_Click();
  void btok_Click();
  void btcancel_Click();
  void btexclui_Click();
  void btFechar_Click();
  void btorigem1_Click();
  void btdestino1_Click();
  void grade_RowColChange();
  bool editing() const { return editing_; }
  void setEditState(bool edit);

  // Installation settings panel.
  void cbosistema_Click();

  // Controls (object names as the control names).
  QLabel* lbldt = nullptr;
  QLabel* lblhr = nullptr;
  QLabel* lblver = nullptr;
  QLineEdit* txtZip = nullptr;
  desktop::TrayIcon* TrayIcon1 = nullptr;
  QMenu* mnumenu = nullptr;
  QAction* mnuconfig = nullptr;
  QAction* t1 = nullptr;
  QAction* mnufechar = nullptr;
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QTimer* Timer3 = nullptr;
  QTimer* Timer4 = nullptr;
  QTimer* Timer6 = nullptr;

  desktop::DBGrid* grade = nullptr;
  QGroupBox* Fbkp = nullptr;
  desktop::MaskEdBox* txthora = nullptr;
  QLineEdit* txtarquivo = nullptr;
  QCheckBox* Check1 = nullptr;
  QLabel* lblorigem = nullptr;
  QLabel* lbldestino = nullptr;
  desktop::PictureButton* btorigem1 = nullptr;
  desktop::PictureButton* btdestino1 = nullptr;
  desktop::PictureButton* btinclui = nullptr;
  desktop::PictureButton* btaltera = nullptr;
  desktop::PictureButton* btexclui = nullptr;
  desktop::PictureButton* btFechar = nullptr;
  desktop::PictureButton* btok = nullptr;
  desktop::PictureButton* btcancel = nullptr;

  QComboBox* cbosistema = nullptr;
  QLineEdit* txtbase = nullptr;
  desktop::MaskEdBox* MaskEdBox1 = nullptr;
  QCheckBox* Check2 = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void changeEvent(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  frmbkp();
  void buildShell();
  void buildEditor();    // frmbkp_editor.cpp
  void buildSettings();  // frmbkp_settings.cpp
  void bindEditor();     // frmbkp_editor.cpp
  void bindSettings();   // frmbkp_settings.cpp
  void setTabOrder();    // frmbkp_editor.cpp
  void reportError(const QString& title, const QString& message);
  void focusWindowChanged(QWindow* now);
  bool previewKey(QKeyEvent* e);                          // frmbkp_editor.cpp
  void saveSettings();                                    // frmbkp_settings.cpp
  void MaskEdBox1_Validate();                             // frmbkp_settings.cpp
  void settingsFocusChanged(QWidget* old, QWidget* now);  // frmbkp_settings.cpp

  bool editing_ = false;
  bool activatedByShow_ = false;
  bool returnFromBox_ = false;
  bool validatingTime_ = false;
  bool savingSettings_ = false;
  // Context of the application-wide focus watch: destroyed with the members, before the
  // window's own teardown moves the focus.
  QObject settingsWatch_;
};

}  // namespace ark::app
