#pragma once
// The page report engine: a document of text lines and tables of columns on
// A4 pages, with a page header and footer repeated on every page, exported as
// PDF through Qt's QPdfWriter.
//
// The calls only record the document. EndDoc (or the export) lays out all
// pages before any is painted, so the page counter in a header or footer
// knows the page count, and header and footer may be set up in any order.
// Fonts come from Qt's font database: a QGuiApplication must exist while a
// document is built and exported. A font family that is not installed falls
// back to Qt's choice.
//
// Cursor model: the body has a current line. DrawText writes on the current
// line if nothing is on it yet, else on the next one, and wraps at the right
// margin; the cursor stays on its last line. NewLine and HalfLine move the
// cursor down by a line (half a line) of the current font. Tables (column
// headers and rows) start below any text on the current line.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "viewer/validation/PageReportModel.h"

class QIODevice;

namespace validation {

class TPageReport {
public:
    using TTextAlign = pagereport::TTextAlign;
    using TMarginPosition = pagereport::TMarginPosition;
    using TColumn = pagereport::TColumn;

    enum TFontStyle : unsigned { kPlain = 0, kBold = 1, kItalic = 2, kUnderline = 4 };

    struct TBookMark {
        QString name;
        int page = 1;  // counted from 1
    };

    TPageReport();
    ~TPageReport();
    TPageReport(const TPageReport&) = delete;
    TPageReport& operator=(const TPageReport&) = delete;

    // The document's title (PDF metadata).
    void SetCaption(const QString& caption);
    [[nodiscard]] const QString& Caption() const { return FCaption; }
    // Starts an empty document; the caption and the current layout stay.
    void BeginDoc();
    // Lays out all pages.
    void EndDoc();

    // The current layout: font and text alignment, used by every later call.
    void SetFontName(const QString& family);
    void SetFontSize(double points);
    // An or-ed set of TFontStyle; kPlain clears bold, italic and underline.
    void SetFontStyle(unsigned styles);
    void SetTextAlign(TTextAlign align);
    void SaveLayout();
    void RestoreSavedLayout();

    // Header and footer: rows of texts (one at each margin position, a text
    // for a position already taken starts a new row) and single rules.
    void AddHeaderText(const QString& text, TMarginPosition position = TMarginPosition::Left);
    void AddFooterText(const QString& text, TMarginPosition position = TMarginPosition::Left);
    void AddHeaderSingleLine();
    void AddFooterSingleLine();
    // format holds "%d" twice: the page number, then the page count.
    void AddFooterPageCounter(const QString& format, TMarginPosition position = TMarginPosition::Right);

    void HalfLine();
    void NewLine();
    void DrawText(const QString& text);
    // Remembers the current page under the name (the PDF carries no outline).
    void AddBookMark(const QString& name);
    // The bookmarks with their pages; lays the document out first.
    [[nodiscard]] std::vector<TBookMark> BookMarks();

    // Off: only the rightmost column wraps, the others are cut to one line.
    void WordWrapLeftCols(bool wrap);
    // Widths in percent of the page width (scaled down if they would run
    // past the right margin).
    void SetColumns(std::vector<TColumn> columns);
    // Draws the headers (bold if asked) with a rule of lineColor below; they
    // are repeated at the top of every page a later row starts.
    void SetColumnHeaders(const QStringList& headers, bool bold, const QColor& lineColor);
    // One row, each cell wrapped inside its column; a row that does not fit
    // on the page starts a new one (and one taller than a page is split).
    void DrawTextAcrossCols(const QStringList& cells, const std::optional<QColor>& background = std::nullopt);

    [[nodiscard]] int PageCount();
    // Paints all pages as PDF into the device (open for writing) or a file
    // it creates or truncates. False when painting or writing fails.
    bool ExportToPDF(QIODevice& device);
    bool ExportToPDF(const QString& fileName);

private:
    void Record(pagereport::TBodyCommand command);
    void ChangeTable(const std::function<void(pagereport::TTable&)>& change);
    [[nodiscard]] int CurrentTable() const;
    [[nodiscard]] const pagereport::TLayoutResult& Laid();

    QString FCaption;
    QFont FFont;
    TTextAlign FAlign = TTextAlign::Left;
    std::optional<std::pair<QFont, TTextAlign>> FSavedLayout;
    pagereport::TDocument FDocument;
    std::optional<pagereport::TLayoutResult> FLayout;
};

}  // namespace validation
