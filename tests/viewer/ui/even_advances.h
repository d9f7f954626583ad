#pragma once
// Whether a font lines up columns: every character a line can hold takes
// the same width.

#include <QChar>
#include <QFont>
#include <QFontMetrics>
#include <QString>

inline bool EvenAdvances(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QLatin1Char('W'));
    for (const QChar c : QStringLiteral("0i.: ()x\u00E9")) {
        if (metrics.horizontalAdvance(c) != width) return false;
    }
    return true;
}
