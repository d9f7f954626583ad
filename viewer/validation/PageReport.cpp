// The page report engine's calls: each records into the document, which is
// laid out when it ends or is exported.

#include "viewer/validation/PageReport.h"

#include <QFile>

namespace validation {

using pagereport::TBandRow;
using pagereport::TBandText;
using pagereport::TBodyCommand;

namespace {

// A text joins the band's last row unless that row is a rule or already has
// a text at the position.
void AddBandText(pagereport::TBand& band, TBandText text, TPageReport::TMarginPosition position) {
    const bool left = position == TPageReport::TMarginPosition::Left;
    if (band.empty() || band.back().rule || (left ? band.back().left : band.back().right).has_value())
        band.emplace_back();
    (left ? band.back().left : band.back().right) = std::move(text);
}

void AddBandRule(pagereport::TBand& band) { band.push_back(TBandRow{true, std::nullopt, std::nullopt}); }

}  // namespace

TPageReport::TPageReport() {
    FFont.setHintingPreference(QFont::PreferNoHinting);
    // No ligatures: a report's text must come out of the PDF as written
    // ("fi", not one ligature glyph) when searched or copied.
    FFont.setStyleStrategy(QFont::PreferNoShaping);
}

TPageReport::~TPageReport() = default;

void TPageReport::SetCaption(const QString& caption) { FCaption = caption; }

void TPageReport::BeginDoc() {
    FDocument = {};
    FLayout.reset();
}

void TPageReport::EndDoc() { FLayout = pagereport::LayOut(FDocument); }

void TPageReport::SetFontName(const QString& family) { FFont.setFamily(family); }

void TPageReport::SetFontSize(double points) { FFont.setPointSizeF(points); }

void TPageReport::SetFontStyle(unsigned styles) {
    FFont.setBold((styles & kBold) != 0);
    FFont.setItalic((styles & kItalic) != 0);
    FFont.setUnderline((styles & kUnderline) != 0);
}

void TPageReport::SetTextAlign(TTextAlign align) { FAlign = align; }

void TPageReport::SaveLayout() { FSavedLayout = std::make_pair(FFont, FAlign); }

void TPageReport::RestoreSavedLayout() {
    if (!FSavedLayout) return;
    FFont = FSavedLayout->first;
    FAlign = FSavedLayout->second;
}

void TPageReport::AddHeaderText(const QString& text, TMarginPosition position) {
    AddBandText(FDocument.header, {text, FFont, false}, position);
    FLayout.reset();
}

void TPageReport::AddFooterText(const QString& text, TMarginPosition position) {
    AddBandText(FDocument.footer, {text, FFont, false}, position);
    FLayout.reset();
}

void TPageReport::AddHeaderSingleLine() {
    AddBandRule(FDocument.header);
    FLayout.reset();
}

void TPageReport::AddFooterSingleLine() {
    AddBandRule(FDocument.footer);
    FLayout.reset();
}

void TPageReport::AddFooterPageCounter(const QString& format, TMarginPosition position) {
    AddBandText(FDocument.footer, {format, FFont, true}, position);
    FLayout.reset();
}

void TPageReport::HalfLine() { Record({TBodyCommand::TKind::HalfLine, FFont, FAlign, {}, std::nullopt, -1}); }

void TPageReport::NewLine() { Record({TBodyCommand::TKind::NewLine, FFont, FAlign, {}, std::nullopt, -1}); }

void TPageReport::DrawText(const QString& text) {
    Record({TBodyCommand::TKind::Text, FFont, FAlign, {text}, std::nullopt, -1});
}

void TPageReport::AddBookMark(const QString& name) {
    Record({TBodyCommand::TKind::BookMark, FFont, FAlign, {name}, std::nullopt, -1});
}

std::vector<TPageReport::TBookMark> TPageReport::BookMarks() {
    std::vector<TBookMark> bookMarks;
    for (const auto& placed : Laid().bookMarks) bookMarks.push_back({placed.name, placed.page});
    return bookMarks;
}

void TPageReport::WordWrapLeftCols(bool wrap) {
    ChangeTable([wrap](pagereport::TTable& table) { table.wrapLeftColumns = wrap; });
}

void TPageReport::SetColumns(std::vector<TColumn> columns) {
    ChangeTable([&columns](pagereport::TTable& table) { table.columns = std::move(columns); });
}

void TPageReport::SetColumnHeaders(const QStringList& headers, bool bold, const QColor& lineColor) {
    QFont headerFont = FFont;
    headerFont.setBold(bold);
    ChangeTable([&](pagereport::TTable& table) {
        table.headers = headers;
        table.headerFont = headerFont;
        table.headerLineColor = lineColor;
    });
    Record({TBodyCommand::TKind::ColumnHeaders, FFont, FAlign, {}, std::nullopt, CurrentTable()});
}

void TPageReport::DrawTextAcrossCols(const QStringList& cells, const std::optional<QColor>& background) {
    Record({TBodyCommand::TKind::Row, FFont, FAlign, cells, background, CurrentTable()});
}

int TPageReport::PageCount() { return static_cast<int>(Laid().pages.size()); }

bool TPageReport::ExportToPDF(QIODevice& device) { return pagereport::PaintPdf(Laid(), FCaption, device); }

bool TPageReport::ExportToPDF(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool painted = ExportToPDF(file);
    const bool flushed = file.flush();
    file.close();
    return painted && flushed && file.error() == QFileDevice::NoError;
}

void TPageReport::Record(TBodyCommand command) {
    FDocument.body.push_back(std::move(command));
    FLayout.reset();
}

// Tables are only appended: rows recorded earlier keep the columns they were
// drawn with.
void TPageReport::ChangeTable(const std::function<void(pagereport::TTable&)>& change) {
    pagereport::TTable table = FDocument.tables.empty() ? pagereport::TTable{} : FDocument.tables.back();
    change(table);
    FDocument.tables.push_back(std::move(table));
    FLayout.reset();
}

int TPageReport::CurrentTable() const { return static_cast<int>(FDocument.tables.size()) - 1; }

const pagereport::TLayoutResult& TPageReport::Laid() {
    if (!FLayout) FLayout = pagereport::LayOut(FDocument);
    return *FLayout;
}

}  // namespace validation
