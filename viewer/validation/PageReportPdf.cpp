// Paints laid-out page report pages as PDF.

#include <QFontMetricsF>
#include <QIODevice>
#include <QMarginsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>

#include "viewer/validation/PageReportModel.h"

namespace validation::pagereport {
namespace {

constexpr double kRuleWidth = 0.2 * kDotsPerInch / 25.4;

Qt::Alignment Alignment(TTextAlign align) {
    switch (align) {
        case TTextAlign::Right: return Qt::AlignRight;
        case TTextAlign::Center: return Qt::AlignHCenter;
        case TTextAlign::Left:
        case TTextAlign::Justify: break;
    }
    return Qt::AlignLeft;
}

// The words spread so the line fills its box; set flush left when the gaps
// would come out narrower than a blank.
void DrawJustified(QPainter& painter, const TPlacedText& text) {
    const QStringList words = text.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QFontMetricsF metrics(text.font, painter.device());
    double wordsWidth = 0;
    for (const QString& word : words) wordsWidth += metrics.horizontalAdvance(word);
    const double gap = words.size() > 1 ? (text.box.width() - wordsWidth) / static_cast<double>(words.size() - 1) : 0;
    if (words.size() < 2 || gap < metrics.horizontalAdvance(QLatin1Char(' '))) {
        painter.drawText(text.box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, text.text);
        return;
    }
    double x = text.box.left();
    const double baseline = text.box.top() + metrics.ascent();
    for (const QString& word : words) {
        painter.drawText(QPointF(x, baseline), word);
        x += metrics.horizontalAdvance(word) + gap;
    }
}

void PaintPage(QPainter& painter, const TPage& page) {
    for (const TPlacedFill& fill : page.fills) painter.fillRect(fill.box, fill.color);
    for (const TPlacedRule& rule : page.rules) {
        QPen pen(rule.color);
        pen.setWidthF(kRuleWidth);
        painter.setPen(pen);
        painter.drawLine(rule.line);
    }
    painter.setPen(QPen(Qt::black));
    for (const TPlacedText& text : page.texts) {
        painter.setFont(text.font);
        if (text.align == TTextAlign::Justify) {
            DrawJustified(painter, text);
            continue;
        }
        painter.drawText(text.box, Alignment(text.align) | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                         text.text);
    }
}

}  // namespace

bool PaintPdf(const TLayoutResult& layout, const QString& title, QIODevice& device) {
    QPdfWriter writer(&device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(kDotsPerInch);
    writer.setTitle(title);
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    bool painted = true;
    for (std::size_t i = 0; i < layout.pages.size() && painted; ++i) {
        if (i > 0) painted = writer.newPage();
        if (painted) PaintPage(painter, layout.pages[i]);
    }
    return painter.end() && painted;
}

}  // namespace validation::pagereport
