#pragma once
// Binds form controls to fields of a view. A control is dirty when its content differs
// from what the view last showed in it or last wrote from it, whether the user or the code
// changed it (a folder put into a label by a picker counts), so the view's saving of
// bound edits carries it to the row. Showing a row never makes a control dirty.
#include <QString>

#include "platform/database/database.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace ark::desktop {

class MaskEdBox;

// Text box: shows the text form of the value (Null as ""); reads its text.
db::Binding textBinding(const QString& field, QLineEdit* edit);
void bindText(db::View& view, const QString& field, QLineEdit* edit);

// Masked time box: a time shows as "hh:mm:ss", Null as "__:__:__"; the empty mask reads
// as Null, anything else as the text shown (prompt characters included).
db::Binding maskBinding(const QString& field, MaskEdBox* box);
void bindMask(db::View& view, const QString& field, MaskEdBox* box);

// Check box: Null and False clear, True ticked; reads a Yes/No.
db::Binding checkBinding(const QString& field, QCheckBox* check);
void bindCheck(db::View& view, const QString& field, QCheckBox* check);

// Combo box: shows and reads the text of its text field.
db::Binding comboBinding(const QString& field, QComboBox* combo);
void bindCombo(db::View& view, const QString& field, QComboBox* combo);

// Label: shows the text form of the value; reads its caption, an empty caption as ""
// (the view stores "" in a text field, Null in any other).
db::Binding labelBinding(const QString& field, QLabel* label);
void bindLabel(db::View& view, const QString& field, QLabel* label);

// For views that timers refresh under the user's hands. While the user is typing in `edit`
// (it has the focus and holds text the user changed), the view neither writes it nor shows
// the row over it: the text and the caret stay as they are, and the edit counts as pending
// once the control has lost the focus. Any other time a row shown with the text the control
// already holds leaves its caret and selection where they were.
db::Binding keepWhileTyping(db::Binding binding, QLineEdit* edit);

}  // namespace ark::desktop
