// Bound controls: show, read and the dirty test for each kind of control.
#include "platform/desktop/binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <memory>

#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/controls.h"

namespace ark::desktop {

namespace {

// A binding from three functions over a control kept by a guarded pointer (the control
// may be destroyed before its view): `get` reads its content, `put` shows a value, `toValue`
// turns the content into the value written.
template <typename W, typename C>
db::Binding makeBinding(const QString& field, W* w, std::function<C(W*)> get,
                        std::function<void(W*, const Value&)> put,
                        std::function<Value(const C&)> toValue) {
  QPointer<W> ptr(w);
  auto baseline = std::make_shared<C>(get(w));
  db::Binding b;
  b.field = field;
  b.show = [ptr, baseline, get, put](const Value& v) {
    if (!ptr) return;
    put(ptr, v);
    *baseline = get(ptr);
  };
  b.read = [ptr, get, toValue]() -> Value {
    if (!ptr) return Value::null();
    return toValue(get(ptr));
  };
  b.dirty = [ptr, baseline, get] { return ptr && get(ptr) != *baseline; };
  b.clean = [ptr, baseline, get] {
    if (ptr) *baseline = get(ptr);
  };
  return b;
}

Value textValue(const QString& s) {
  return Value(s);
}

}  // namespace

db::Binding textBinding(const QString& field, QLineEdit* edit) {
  return makeBinding<QLineEdit, QString>(
      field, edit, [](QLineEdit* e) { return e->text(); },
      [](QLineEdit* e, const Value& v) { e->setText(rt::Text(v)); }, textValue);
}

db::Binding maskBinding(const QString& field, MaskEdBox* box) {
  return makeBinding<MaskEdBox, QString>(
      field, box, [](MaskEdBox* m) { return m->text(); },
      [](MaskEdBox* m, const Value& v) {
        if (v.isNull() || v.isEmpty())
          m->setText(MaskEdBox::kEmpty);
        else if (v.isDate())
          m->setText(rt::Format(v, QStringLiteral("hh:mm:ss")));
        else
          m->setText(rt::Text(v));
      },
      [](const QString& shown) {
        return shown == MaskEdBox::kEmpty ? Value::null() : Value(shown);
      });
}

db::Binding checkBinding(const QString& field, QCheckBox* check) {
  return makeBinding<QCheckBox, bool>(
      field, check, [](QCheckBox* c) { return c->isChecked(); },
      [](QCheckBox* c, const Value& v) {
        bool on = false;
        if (!v.isNull() && !v.isEmpty()) {
          try {
            on = rt::CBool(v);
          } catch (const RuntimeError&) {
            on = false;  // a value that is no Yes/No shows clear
          }
        }
        c->setChecked(on);
      },
      [](const bool& on) { return Value(on); });
}

db::Binding comboBinding(const QString& field, QComboBox* combo) {
  return makeBinding<QComboBox, QString>(
      field, combo, [](QComboBox* c) { return c->currentText(); },
      [](QComboBox* c, const Value& v) {
        const QString t = rt::Text(v);
        if (c->isEditable())
          c->setEditText(t);
        else
          c->setCurrentText(t);
      },
      textValue);
}

db::Binding labelBinding(const QString& field, QLabel* label) {
  // A field's text is never markup: a folder named "<b>x" shows as it is named.
  if (label) label->setTextFormat(Qt::PlainText);
  return makeBinding<QLabel, QString>(
      field, label, [](QLabel* l) { return l->text(); },
      [](QLabel* l, const Value& v) { l->setText(rt::Text(v)); }, textValue);
}

db::Binding keepWhileTyping(db::Binding binding, QLineEdit* edit) {
  QPointer<QLineEdit> ptr(edit);
  auto typing = [ptr] { return ptr && ptr->hasFocus() && ptr->isModified(); };
  db::Binding b = binding;
  b.show = [ptr, typing, show = binding.show](const Value& v) {
    if (!show || typing()) return;
    if (!ptr) return show(v);
    const QString before = ptr->displayText();
    const int caret = ptr->cursorPosition();
    const int start = ptr->selectionStart();
    const int length = ptr->selectedText().size();
    show(v);
    if (ptr->displayText() != before) return;
    if (start >= 0) {
      // The caret stands at the end of the selection it made.
      if (caret == start)
        ptr->setSelection(start + length, -length);
      else
        ptr->setSelection(start, length);
    } else {
      ptr->setCursorPosition(caret);
    }
  };
  b.dirty = [typing, dirty = binding.dirty] { return !typing() && dirty && dirty(); };
  b.clean = [ptr, typing, clean = binding.clean] {
    if (typing()) return;
    if (clean) clean();
    // Written: a later visit to the control starts from what it now shows.
    if (ptr) ptr->setModified(false);
  };
  return b;
}

void bindText(db::View& view, const QString& field, QLineEdit* edit) {
  view.bind(textBinding(field, edit));
}
void bindMask(db::View& view, const QString& field, MaskEdBox* box) {
  view.bind(maskBinding(field, box));
}
void bindCheck(db::View& view, const QString& field, QCheckBox* check) {
  view.bind(checkBinding(field, check));
}
void bindCombo(db::View& view, const QString& field, QComboBox* combo) {
  view.bind(comboBinding(field, combo));
}
void bindLabel(db::View& view, const QString& field, QLabel* label) {
  view.bind(labelBinding(field, label));
}

}  // namespace ark::desktop
