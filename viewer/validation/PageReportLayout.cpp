// Lays a recorded page report out on pages: text lines wrapped at the
// margins, tables with cells wrapped inside their columns, page breaks with
// the column headers repeated, then header and footer on every page once the
// page count is known.

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

#include "viewer/validation/PageReportModel.h"

namespace validation::pagereport {
namespace {

constexpr double kBandGap = 3 * kMillimetre;
constexpr double kCellPadding = 0.3 * kMillimetre;
constexpr double kHeaderRuleSpace = 1 * kMillimetre;

QString WithoutTrailingBlanks(QString text) {
    while (!text.isEmpty() && (text.back().isSpace() || text.back() == QChar::LineSeparator)) text.chop(1);
    return text;
}

// The lines of text broken to width: at blanks where possible, inside a word
// that is longer than the width.
QStringList WrapText(const QString& text, const QFont& font, double width) {
    QString prepared = text;
    prepared.remove(QLatin1Char('\r'));
    prepared.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(prepared, font, &MetricsDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, 1.0));
        lines << WithoutTrailingBlanks(prepared.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    if (lines.isEmpty()) lines << QString();
    return lines;
}

QString CutText(const QString& text, const QFont& font, double width) {
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
    return QFontMetricsF(font, &MetricsDevice()).elidedText(oneLine, Qt::ElideRight, std::max(width, 1.0));
}

// Justified text is set flush left on its last line.
TTextAlign LineAlign(TTextAlign align, bool lastLine) {
    return align == TTextAlign::Justify && lastLine ? TTextAlign::Left : align;
}

struct TColumnBox {
    double left;
    double width;
    TTextAlign align;
};

class TBodyLayouter {
public:
    TBodyLayouter(const TDocument& document, const QRectF& body, double pageWidth)
        : FDocument(document), FBody(body), FPageWidth(pageWidth) {}

    TLayoutResult Run() {
        NewPage();
        for (const TBodyCommand& command : FDocument.body) Apply(command);
        return std::move(FResult);
    }

private:
    using TKind = TBodyCommand::TKind;

    void Apply(const TBodyCommand& command) {
        switch (command.kind) {
            case TKind::HalfLine:
                EndTextLine();
                FY += LineHeight(command.font) / 2;
                break;
            case TKind::NewLine:
                if (FLineUsed)
                    EndTextLine();
                else
                    FY += LineHeight(command.font);
                break;
            case TKind::Text: PlaceText(command); break;
            case TKind::BookMark:
                FResult.bookMarks.push_back({command.texts.value(0), static_cast<int>(FResult.pages.size())});
                break;
            case TKind::ColumnHeaders:
                EndTextLine();
                FHeaderTable = command.table;
                PlaceColumnHeaders();
                break;
            case TKind::Row: PlaceRow(command); break;
        }
    }

    void NewPage() {
        FResult.pages.emplace_back();
        FY = FBody.top();
        FLineUsed = false;
        FFreshPage = true;
    }

    void NewPageForTable() {
        NewPage();
        if (FHeaderTable >= 0) PlaceColumnHeaders();
    }

    void EndTextLine() {
        if (!FLineUsed) return;
        FY += FUsedLineHeight;
        FLineUsed = false;
    }

    [[nodiscard]] TPage& Page() { return FResult.pages.back(); }

    void PlaceText(const TBodyCommand& command) {
        EndTextLine();
        const double lineHeight = LineHeight(command.font);
        const QStringList lines = WrapText(command.texts.value(0), command.font, FBody.width());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) FY += lineHeight;
            if (FY + lineHeight > FBody.bottom() && !FFreshPage) NewPage();
            Page().texts.push_back({QRectF(FBody.left(), FY, FBody.width(), lineHeight), lines[i], command.font,
                                    LineAlign(command.align, i + 1 == lines.size())});
            FFreshPage = false;
        }
        FLineUsed = true;
        FUsedLineHeight = lineHeight;
    }

    [[nodiscard]] const TTable& Table(int index) const {
        static const TTable kWholeWidth{{TColumn{100, TTextAlign::Left}}, {}, {}, {}, true};
        if (index < 0 || index >= static_cast<int>(FDocument.tables.size())) return kWholeWidth;
        const TTable& table = FDocument.tables[static_cast<std::size_t>(index)];
        return table.columns.empty() ? kWholeWidth : table;
    }

    // Columns in percent of the page width, narrowed to fit between the
    // margins if they would not.
    [[nodiscard]] std::vector<TColumnBox> Columns(const TTable& table) const {
        double total = 0;
        for (const TColumn& column : table.columns) total += std::max(column.percent, 0.0) * FPageWidth / 100;
        const double scale = total > FBody.width() ? FBody.width() / total : 1.0;
        std::vector<TColumnBox> boxes;
        double left = FBody.left();
        for (const TColumn& column : table.columns) {
            const double width = std::max(column.percent, 0.0) * FPageWidth / 100 * scale;
            boxes.push_back({left, width, column.align});
            left += width;
        }
        return boxes;
    }

    // Each cell's lines: wrapped, or cut to one line in a left column when
    // the table does not wrap those.
    [[nodiscard]] std::vector<QStringList> CellLines(const TTable& table, const QStringList& cells,
                                                     const QFont& font) const {
        const std::vector<TColumnBox> columns = Columns(table);
        std::vector<QStringList> lines;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const QString cell = cells.value(static_cast<qsizetype>(i));
            const double width = columns[i].width - 2 * kCellPadding;
            const bool wraps = table.wrapLeftColumns || i + 1 == columns.size();
            lines.push_back(wraps ? WrapText(cell, font, width) : QStringList{CutText(cell, font, width)});
        }
        return lines;
    }

    static int LineCount(const std::vector<QStringList>& lines) {
        qsizetype count = 1;
        for (const QStringList& cell : lines) count = std::max(count, cell.size());
        return static_cast<int>(count);
    }

    void PlaceCells(const TTable& table, const std::vector<QStringList>& lines, int first, int count,
                    const QFont& font, double lineHeight) {
        const std::vector<TColumnBox> columns = Columns(table);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const QStringList& cell = lines[c];
            for (int k = first; k < first + count && k < cell.size(); ++k) {
                const QRectF box(columns[c].left + kCellPadding, FY + kCellPadding + (k - first) * lineHeight,
                                 columns[c].width - 2 * kCellPadding, lineHeight);
                Page().texts.push_back({box, cell[k], font, LineAlign(columns[c].align, k + 1 == cell.size())});
            }
        }
    }

    [[nodiscard]] double TableWidth(const TTable& table) const {
        const std::vector<TColumnBox> columns = Columns(table);
        return columns.empty() ? 0 : columns.back().left + columns.back().width - FBody.left();
    }

    [[nodiscard]] double ColumnHeadersHeight() const {
        if (FHeaderTable < 0) return 0;
        const TTable& table = Table(FHeaderTable);
        const int lines = LineCount(CellLines(table, table.headers, table.headerFont));
        return lines * LineHeight(table.headerFont) + 2 * kCellPadding + kHeaderRuleSpace;
    }

    void PlaceColumnHeaders() {
        const TTable& table = Table(FHeaderTable);
        const std::vector<QStringList> lines = CellLines(table, table.headers, table.headerFont);
        const double lineHeight = LineHeight(table.headerFont);
        const int count = LineCount(lines);
        if (FY + ColumnHeadersHeight() > FBody.bottom() && !FFreshPage) NewPage();
        PlaceCells(table, lines, 0, count, table.headerFont, lineHeight);
        const double ruleY = FY + count * lineHeight + 2 * kCellPadding;
        Page().rules.push_back(
            {QLineF(FBody.left(), ruleY, FBody.left() + TableWidth(table), ruleY), table.headerLineColor});
        FY += ColumnHeadersHeight();
    }

    [[nodiscard]] int LinesThatFit(double lineHeight) const {
        return static_cast<int>(std::floor((FBody.bottom() - FY - 2 * kCellPadding) / lineHeight));
    }

    [[nodiscard]] int FreshPageCapacity(double lineHeight) const {
        const double room = FBody.height() - ColumnHeadersHeight() - 2 * kCellPadding;
        return static_cast<int>(std::floor(room / lineHeight));
    }

    // A row goes whole onto the next page when it does not fit here but
    // would on an empty page; only a row taller than a page is split.
    void PlaceRow(const TBodyCommand& command) {
        EndTextLine();
        const TTable& table = Table(command.table);
        const std::vector<QStringList> lines = CellLines(table, command.texts, command.font);
        const double lineHeight = LineHeight(command.font);
        const int total = LineCount(lines);
        int first = 0;
        while (first < total) {
            const int fit = LinesThatFit(lineHeight);
            const int rest = total - first;
            if (!FFreshPage && fit < rest && (rest <= FreshPageCapacity(lineHeight) || fit <= 0)) {
                NewPageForTable();
                continue;
            }
            const int count = std::clamp(fit, 1, rest);
            const double height = count * lineHeight + 2 * kCellPadding;
            if (command.background)
                Page().fills.push_back({QRectF(FBody.left(), FY, TableWidth(table), height), *command.background});
            PlaceCells(table, lines, first, count, command.font, lineHeight);
            FY += height;
            FFreshPage = false;
            first += count;
            if (first < total) NewPageForTable();
        }
    }

    const TDocument& FDocument;
    const QRectF FBody;
    const double FPageWidth;
    TLayoutResult FResult;
    double FY = 0;
    bool FLineUsed = false;
    double FUsedLineHeight = 0;
    bool FFreshPage = true;
    int FHeaderTable = -1;  // the table whose headers repeat on new pages
};

}  // namespace

TLayoutResult LayOut(const TDocument& document) {
    const TPageFrame frame = A4Frame();
    const double headerHeight = BandHeight(document.header);
    const double footerHeight = BandHeight(document.footer);
    QRectF body = frame.inside;
    if (headerHeight > 0) body.setTop(body.top() + headerHeight + kBandGap);
    if (footerHeight > 0) body.setBottom(body.bottom() - footerHeight - kBandGap);

    TLayoutResult result = TBodyLayouter(document, body, frame.page.width()).Run();
    const int pageCount = static_cast<int>(result.pages.size());
    for (int i = 0; i < pageCount; ++i) {
        TPage& page = result.pages[static_cast<std::size_t>(i)];
        PlaceBand(document.header, frame.inside.top(), frame.inside, i + 1, pageCount, page);
        PlaceBand(document.footer, frame.inside.bottom() - footerHeight, frame.inside, i + 1, pageCount, page);
    }
    return result;
}

}  // namespace validation::pagereport
