#pragma once
// The page report engine's data: the recorded document (header and footer
// bands, body commands, tables) and the laid-out pages. Lengths are device
// units of kDotsPerInch, the resolution the PDF is painted at.

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QIODevice;
class QPaintDevice;

namespace validation::pagereport {

inline constexpr int kDotsPerInch = 1200;
inline constexpr double kMillimetre = kDotsPerInch / 25.4;

enum class TTextAlign { Left, Right, Center, Justify };
enum class TMarginPosition { Left, Right };

struct TColumn {
    double percent = 0;  // of the page width
    TTextAlign align = TTextAlign::Left;
};

// One row of a header or footer: a rule, or up to one text per position.
struct TBandText {
    QString text;
    QFont font;
    bool pageCounter = false;  // text is a format with the two "%d"
};
struct TBandRow {
    bool rule = false;
    std::optional<TBandText> left;
    std::optional<TBandText> right;
};
using TBand = std::vector<TBandRow>;

struct TTable {
    std::vector<TColumn> columns;
    QStringList headers;
    QFont headerFont;
    QColor headerLineColor;
    bool wrapLeftColumns = false;
};

struct TBodyCommand {
    enum class TKind { HalfLine, NewLine, Text, BookMark, ColumnHeaders, Row };
    TKind kind = TKind::NewLine;
    QFont font;
    TTextAlign align = TTextAlign::Left;
    QStringList texts;  // the text, the bookmark's name, or the row's cells
    std::optional<QColor> background;
    int table = -1;  // index into TDocument::tables
};

struct TDocument {
    TBand header;
    TBand footer;
    std::vector<TTable> tables;
    std::vector<TBodyCommand> body;
};

// What is painted on one page.
struct TPlacedText {
    QRectF box;
    QString text;
    QFont font;
    TTextAlign align = TTextAlign::Left;
};
struct TPlacedRule {
    QLineF line;
    QColor color;
};
struct TPlacedFill {
    QRectF box;
    QColor color;
};
struct TPage {
    std::vector<TPlacedFill> fills;
    std::vector<TPlacedText> texts;
    std::vector<TPlacedRule> rules;
};

struct TPlacedBookMark {
    QString name;
    int page = 1;
};

struct TLayoutResult {
    std::vector<TPage> pages;  // at least one
    std::vector<TPlacedBookMark> bookMarks;
};

// The page geometry shared by layout and painting.
struct TPageFrame {
    QRectF page;    // the whole A4 sheet
    QRectF inside;  // within the margins
};
[[nodiscard]] TPageFrame A4Frame();

// Height of a band and the texts and rules it places on a page, its top at
// top; the page counter filled in.
[[nodiscard]] double BandHeight(const TBand& band);
void PlaceBand(const TBand& band, double top, const QRectF& inside, int pageNumber, int pageCount, TPage& page);

// Lays the document out on pages.
[[nodiscard]] TLayoutResult LayOut(const TDocument& document);

// Paints the pages as PDF into the device; false when painting or writing
// fails.
[[nodiscard]] bool PaintPdf(const TLayoutResult& layout, const QString& title, QIODevice& device);

// The device text is measured on: the resolution of the painted PDF.
[[nodiscard]] const QPaintDevice& MetricsDevice();
[[nodiscard]] double LineHeight(const QFont& font);

// "%d" replaced by the page number, then by the page count (nothing else of
// the format is interpreted).
[[nodiscard]] QString PageCounterText(const QString& format, int pageNumber, int pageCount);

}  // namespace validation::pagereport
