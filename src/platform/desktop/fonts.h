#pragma once
// The forms are drawn in Tahoma. Where it is not installed the condensed DejaVu face keeps
// their texts within the widths they were laid out for; the plain face is the last resort.
#include <QFont>
#include <QStringList>

namespace ark::desktop {

// Tahoma at a size in points, as the forms give their fonts.
inline QFont tahoma(qreal pointSize, bool bold = false) {
  QFont f(QStringLiteral("Tahoma"));
  f.setPointSizeF(pointSize);
  f.setBold(bold);
  return f;
}

inline void useFontSubstitutes() {
  QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans Condensed"),
                                                        QStringLiteral("DejaVu Sans")});
}

}  // namespace ark::desktop
