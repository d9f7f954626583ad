// The PDF report: laid out by the page report engine while items arrive and
// written into the report file, created as a temporary file on opening, when
// closed.

#include <QDateTime>
#include <QFile>
#include <QGuiApplication>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "platform/debug_output.h"
#include "viewer/validation/PageReport.h"
#include "viewer/validation/QlReportExport.h"
#include "viewer/validation/ValidationCatalogue.h"

namespace validation {
namespace {

constexpr const char* kFormat = "PDF";

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

TQlReportExportPDF::TQlReportExportPDF() = default;

TQlReportExportPDF::~TQlReportExportPDF() {
    try {
        if (IsOpen()) CloseReportExport();
    } catch (...) {
        ReportFailure("", kFormat, "Destroy", " call...");
    }
}

bool TQlReportExportPDF::OpenReportExport(const std::string& FileName, const std::string& ReportFileName) {
    if (IsOpen()) {
        ReportFailure("dbg: ", kFormat, "OpenReportExport", " - report already opened.");
        return false;
    }
    const TCreateResult created = CreateReportFile(ReportFileName);
    if (created != TCreateResult::kCreated) {
        if (created == TCreateResult::kExists)
            ReportFailure("dbg: ", kFormat, "OpenReportExport", " - PDF file already exists.");
        else
            ReportFailure("", kFormat, "OpenReportExport", " call...");
        return false;
    }
    try {
        // The engine measures text with Qt's fonts, which need the application.
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
            throw std::runtime_error("no QGuiApplication");
        FDestinationFile = std::make_unique<TPageReport>();
        FDestinationFileName = ReportFileName;
        FReportIndex = 0;
        BuildHeading(FileName);
        return true;
    } catch (...) {
        FDestinationFile.reset();
        FDestinationFileName.clear();
        FReportFile.Discard();
        ReportFailure("", kFormat, "OpenReportExport", " call...");
        return false;
    }
}

void TQlReportExportPDF::BuildHeading(const std::string& FileName) {
    using TAlign = TPageReport::TTextAlign;
    using TPosition = TPageReport::TMarginPosition;
    TPageReport& report = *FDestinationFile;
    report.SetCaption(QStringLiteral("Orvanne Media Solutions - Media Validation Report"));
    report.BeginDoc();
    report.SetFontName(QStringLiteral("Georgia"));
    report.SetFontSize(11);
    report.SaveLayout();
    report.SetFontStyle(TPageReport::kItalic | TPageReport::kUnderline);
    report.SetTextAlign(TAlign::Right);
    report.AddHeaderText(QString::fromUtf8(kMakerWebAddress), TPosition::Right);
    report.SetFontStyle(TPageReport::kPlain);
    report.AddFooterSingleLine();
    report.AddFooterPageCounter(QStringLiteral("Page %d/%d"), TPosition::Right);
    report.RestoreSavedLayout();
    report.AddHeaderText(report.Caption());
    report.AddFooterText(QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss dd.MM.yyyy")));
    report.AddHeaderSingleLine();
    report.SetFontSize(8);
    report.HalfLine();
    report.SetTextAlign(TAlign::Justify);
    report.DrawText(QStringLiteral("File : ") + Text(FileName));
    report.NewLine();
    report.AddBookMark(QStringLiteral("bookmarkname"));
    report.WordWrapLeftCols(true);
    report.SetColumns({{3, TAlign::Left}, {17, TAlign::Left}, {7, TAlign::Left}, {7, TAlign::Left}, {50, TAlign::Left}});
    report.SetColumnHeaders({QStringLiteral("#"), QStringLiteral("Module"), QStringLiteral("Stream"),
                             QStringLiteral("Type"), QStringLiteral("Message")},
                            true, QColor(Qt::gray));
}

bool TQlReportExportPDF::AddReport(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                                   std::int32_t StreamID) {
    if (!IsOpen()) {
        ReportFailure("dbg: ", kFormat, "AddReport", " - report not opened.");
        return false;
    }
    try {
        FDestinationFile->DrawTextAcrossCols({QString::number(FReportIndex + 1),
                                              Text(ModuleDisplayName(static_cast<std::uint32_t>(Module))),
                                              Text(StreamIdText(StreamID)), Text(ReportTypeName(ReportType)),
                                              Text(ReportMessage)});
        ++FReportIndex;
        return true;
    } catch (...) {
        ReportFailure("", kFormat, "AddReport", " call...");
        return false;
    }
}

bool TQlReportExportPDF::CloseReportExport() {
    if (!IsOpen()) {
        ReportFailure("", kFormat, "CloseReportExport", " - report not opened.");
        return false;
    }
    bool written = false;
    try {
        written = ExportAndClose();
    } catch (...) {
        written = false;
    }
    if (written)
        written = CommitReportFile();
    else
        FReportFile.Discard();
    FDestinationFile.reset();
    FDestinationFileName.clear();
    FReportIndex = 0;
    if (!written) ReportFailure("", kFormat, "CloseReportExport", " call...");
    return written;
}

// Writes the PDF into the file created on opening; the file takes over the
// handle.
bool TQlReportExportPDF::ExportAndClose() {
    FDestinationFile->EndDoc();
    QFile file;
    const int handle = DuplicateReportHandle();
    if (handle < 0) return false;
    if (!file.open(handle, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return false;
    }
    const bool painted = FDestinationFile->ExportToPDF(file);
    const bool flushed = file.flush();
    file.close();
    return painted && flushed && file.error() == QFileDevice::NoError;
}

}  // namespace validation
