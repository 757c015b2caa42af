// The lists' name order as Qt's collator tells it, not the program's:
// Russian, letter case ignored, Ё after Е, the exact text breaking ties. The
// yardstick of tests that check an order the program computes.
#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

namespace nameorder {

/*! Negative, 0 or positive like strcmp. */
inline int Compare(const QString& a, const QString& b) {
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Russian, QLocale::Russia)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int order = collator.compare(a, b);
    return order != 0 ? order : a.compare(b, Qt::CaseSensitive);
}

inline bool Before(const QString& a, const QString& b) {
    return Compare(a, b) < 0;
}

} // namespace nameorder
