#pragma once
// The report exporters: one class per file format, all with the same
// operations. The window (and the command line) opens one, adds every report
// item in order and closes it.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/atomic_output.h"

namespace validation {

class TPageReport;

class TQlReportExport {
public:
    virtual ~TQlReportExport() = default;
    TQlReportExport(const TQlReportExport&) = delete;
    TQlReportExport& operator=(const TQlReportExport&) = delete;

    // FileName: the validated media file (written into the heading);
    // ReportFileName: the file to create. Refuses when a report is open or
    // when ReportFileName exists (see SetReplaceExisting). The report is
    // written to a temporary file beside ReportFileName that takes its name
    // only when closed successfully; a failed report leaves nothing.
    virtual bool OpenReportExport(const std::string& FileName, const std::string& ReportFileName) = 0;
    // ReportMessage is UTF-8.
    virtual bool AddReport(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                           std::int32_t StreamID) = 0;
    virtual bool CloseReportExport() = 0;

    [[nodiscard]] bool IsOpen() const { return !FDestinationFileName.empty(); }
    [[nodiscard]] std::int32_t ReportIndex() const { return FReportIndex; }
    // Allows an existing regular file at the report name to be replaced when
    // the report closes (never a link, folder, device, FIFO or socket).
    void SetReplaceExisting(bool replace) { FReplaceExisting = replace; }

protected:
    TQlReportExport() = default;

    enum class TCreateResult { kCreated, kExists, kFailed };
    // The temporary report file; kExists when ReportFileName is taken by
    // something that may not be replaced.
    TCreateResult CreateReportFile(const std::string& ReportFileName);
    // Gives the closed temporary file the report's name; false (and no
    // file left) when that fails.
    bool CommitReportFile();
    // A descriptor of the temporary report file for a stream of its own.
    [[nodiscard]] int DuplicateReportHandle() const;

    // Writes "Error in TQlReportExport<format>.<operation>" followed by rest
    // to the debug output, after prefix ("dbg: " for the refusals).
    static void ReportFailure(const char* prefix, const char* formatName, const char* operation,
                              const char* rest);

    std::string FDestinationFileName;
    std::int32_t FReportIndex = 0;
    platform::AtomicOutputFile FReportFile;
    bool FReplaceExisting = false;
};

// Shared by the four line-by-line formats: the open text file, CR LF line ends,
// text written as UTF-8 bytes. An existing file is never touched unless
// replacing was allowed. A write error (disk full) makes AddReport and
// CloseReportExport answer false.
class TQlReportExportText : public TQlReportExport {
public:
    ~TQlReportExportText() override;
    bool OpenReportExport(const std::string& FileName, const std::string& ReportFileName) override;
    bool AddReport(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                   std::int32_t StreamID) override;
    bool CloseReportExport() override;

protected:
    // "XML", "CSV", "TXT" or "HTML": used in the class name and messages.
    explicit TQlReportExportText(const char* formatName);
    virtual void WriteHeading(const std::string& FileName) = 0;
    virtual void WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                           std::int32_t StreamID) = 0;
    virtual void WriteTrailer() {}
    void WriteLine(const std::string& line);
    // For the destructors of the final classes, where the trailer can still
    // be written: closes an open report, reporting "Destroy call..." on failure.
    void CloseOnDestroy() noexcept;

    const char* FFormatName;
    std::FILE* FDestinationFile = nullptr;
    // The plain text exporter answers an unexpected failure while opening
    // with false alone, without a debug line.
    bool FQuietOpenFailure = false;

private:
    [[nodiscard]] bool StreamFailed() const;
    bool CloseFile();
};

class TQlReportExportXML final : public TQlReportExportText {
public:
    TQlReportExportXML();
    ~TQlReportExportXML() override;

private:
    void WriteHeading(const std::string& FileName) override;
    void WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                   std::int32_t StreamID) override;
    void WriteTrailer() override;
};

class TQlReportExportCSV final : public TQlReportExportText {
public:
    TQlReportExportCSV();
    ~TQlReportExportCSV() override;

private:
    void WriteHeading(const std::string& FileName) override;
    void WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                   std::int32_t StreamID) override;
};

class TQlReportExportTXT final : public TQlReportExportText {
public:
    TQlReportExportTXT();
    ~TQlReportExportTXT() override;

private:
    void WriteHeading(const std::string& FileName) override;
    void WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                   std::int32_t StreamID) override;
};

class TQlReportExportHTML final : public TQlReportExportText {
public:
    TQlReportExportHTML();
    ~TQlReportExportHTML() override;

private:
    void WriteHeading(const std::string& FileName) override;
    void WriteItem(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                   std::int32_t StreamID) override;
    void WriteTrailer() override;
};

// Lays the report out through the page report engine and exports it as PDF
// into the report file, created (as a temporary file) on opening, when
// closed. Needs a running QGuiApplication (fonts): without one, opening
// fails.
class TQlReportExportPDF final : public TQlReportExport {
public:
    TQlReportExportPDF();
    ~TQlReportExportPDF() override;
    bool OpenReportExport(const std::string& FileName, const std::string& ReportFileName) override;
    bool AddReport(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                   std::int32_t StreamID) override;
    bool CloseReportExport() override;

private:
    void BuildHeading(const std::string& FileName);
    bool ExportAndClose();

    std::unique_ptr<TPageReport> FDestinationFile;
};

// The maker's lines in the headings and footers.
inline constexpr const char* kMakerName = "Orvanne Media Solutions Ltd.";
inline constexpr const char* kMakerWebAddress = "https://www.orvanne-media.example";
inline constexpr const char* kMakerContactLine = "Orvanne Media Solutions Ltd. - support@orvanne-media.example";

}  // namespace validation
