// The page report engine's geometry and measuring: the A4 sheet and its
// margins, text measured at the PDF's resolution, and the header and footer
// bands placed on a page.

#include <QImage>
#include <QFontMetricsF>
#include <QPageSize>

#include <algorithm>

#include "viewer/validation/PageReportModel.h"

namespace validation::pagereport {
namespace {

constexpr double kMargin = 10 * kMillimetre;
// A rule row of a band is this high, its rule in the middle.
constexpr double kRuleRowHeight = 1.5 * kMillimetre;

void PlaceBandText(const TBandText& bandText, const QRectF& box, TTextAlign align, int pageNumber, int pageCount,
                   TPage& page) {
    const QString text =
        bandText.pageCounter ? PageCounterText(bandText.text, pageNumber, pageCount) : bandText.text;
    page.texts.push_back({box, text, bandText.font, align});
}

}  // namespace

TPageFrame A4Frame() {
    const QSizeF millimetres = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const QRectF sheet(0, 0, millimetres.width() * kMillimetre, millimetres.height() * kMillimetre);
    return {sheet, sheet.adjusted(kMargin, kMargin, -kMargin, -kMargin)};
}

const QPaintDevice& MetricsDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMetre = qRound(kDotsPerInch / 0.0254);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }();
    return device;
}

double LineHeight(const QFont& font) { return QFontMetricsF(font, &MetricsDevice()).lineSpacing(); }

double BandHeight(const TBand& band) {
    double height = 0;
    for (const TBandRow& row : band) {
        if (row.rule) {
            height += kRuleRowHeight;
            continue;
        }
        double rowHeight = 0;
        if (row.left) rowHeight = std::max(rowHeight, LineHeight(row.left->font));
        if (row.right) rowHeight = std::max(rowHeight, LineHeight(row.right->font));
        height += rowHeight;
    }
    return height;
}

void PlaceBand(const TBand& band, double top, const QRectF& inside, int pageNumber, int pageCount, TPage& page) {
    double y = top;
    for (const TBandRow& row : band) {
        if (row.rule) {
            const double middle = y + kRuleRowHeight / 2;
            page.rules.push_back({QLineF(inside.left(), middle, inside.right(), middle), QColor(Qt::black)});
            y += kRuleRowHeight;
            continue;
        }
        double rowHeight = 0;
        if (row.left) {
            rowHeight = std::max(rowHeight, LineHeight(row.left->font));
            PlaceBandText(*row.left, QRectF(inside.left(), y, inside.width(), LineHeight(row.left->font)),
                          TTextAlign::Left, pageNumber, pageCount, page);
        }
        if (row.right) {
            rowHeight = std::max(rowHeight, LineHeight(row.right->font));
            PlaceBandText(*row.right, QRectF(inside.left(), y, inside.width(), LineHeight(row.right->font)),
                          TTextAlign::Right, pageNumber, pageCount, page);
        }
        y += rowHeight;
    }
}

QString PageCounterText(const QString& format, int pageNumber, int pageCount) {
    QString text = format;
    const QString marker = QStringLiteral("%d");
    for (const int value : {pageNumber, pageCount}) {
        const auto at = text.indexOf(marker);
        if (at < 0) break;
        text.replace(at, marker.size(), QString::number(value));
    }
    return text;
}

}  // namespace validation::pagereport
