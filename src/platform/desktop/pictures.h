#pragma once
// The program's own pictures, drawn at run time: icon, window backgrounds, logos and the
// small pictures of buttons and answers.
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace ark::desktop::pictures {

// The program and tray icon: an archive box marked "A".
QPixmap programPixmap(int size);
QIcon programIcon();

QPixmap splashBackground();                        // 501 x 310, the splash window
QPixmap mainBackground();                          // 626 x 400, the main window
QPixmap progressBackground();                      // 603 x 361, the archive progress window
QPixmap maintenanceLogo(int size = 48);            // the band of the maintenance windows
QPixmap visitBanner(QSize size = QSize(425, 90));  // the top of the visit reminder

enum class Answer { Yes, No, Later };  // check, cross, clock
QPixmap answerPicture(Answer a, int size = 48);

enum class Button { Include, Change, Delete, Close, Save, Cancel };
QPixmap buttonPicture(Button b, int size = 24);

}  // namespace ark::desktop::pictures
