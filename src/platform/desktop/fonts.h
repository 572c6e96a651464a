#pragma once
// The forms are drawn in Tahoma. Where it is not installed the condensed DejaVu face keeps
// their texts within the widths they were laid out for; the plain face is the last resort.
#include <QFont>
#include <QStringList>

namespace ark::desktop {

inline void useFontSubstitutes() {
  QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans Condensed"),
                                                        QStringLiteral("DejaVu Sans")});
}

}  // namespace ark::desktop
