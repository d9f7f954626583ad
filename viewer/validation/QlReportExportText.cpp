// The operations shared by all exporters: their messages and the report
// file that takes its name only when complete; and the life cycle of the
// four line-by-line formats: one line at a time, the trailer on closing, and
// write errors answered with false.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "platform/debug_output.h"
#include "viewer/validation/QlReportExport.h"

namespace validation {

void TQlReportExport::ReportFailure(const char* prefix, const char* formatName, const char* operation,
                                    const char* rest) {
    platform::OutputDebugLine(std::string(prefix) + "Error in TQlReportExport" + formatName + "." + operation +
                              rest);
}

TQlReportExport::TCreateResult TQlReportExport::CreateReportFile(const std::string& ReportFileName) {
    const platform::OutputName existing = platform::CheckOutputName(ReportFileName);
    if (existing == platform::OutputName::kOther ||
        (existing == platform::OutputName::kRegularFile && !FReplaceExisting))
        return TCreateResult::kExists;
    return FReportFile.Create(ReportFileName) ? TCreateResult::kCreated : TCreateResult::kFailed;
}

bool TQlReportExport::CommitReportFile() {
    if (FReportFile.Commit(FReplaceExisting)) return true;
    FReportFile.Discard();
    return false;
}

int TQlReportExport::DuplicateReportHandle() const {
    return FReportFile.Handle() >= 0 ? ::fcntl(FReportFile.Handle(), F_DUPFD_CLOEXEC, 0) : -1;
}

TQlReportExportText::TQlReportExportText(const char* formatName) : FFormatName(formatName) {}

TQlReportExportText::~TQlReportExportText() {
    // The final class has already closed an open report with its trailer;
    // this only releases a file that a failure left behind.
    if (FDestinationFile != nullptr) std::fclose(FDestinationFile);
}

bool TQlReportExportText::OpenReportExport(const std::string& FileName, const std::string& ReportFileName) {
    if (IsOpen()) {
        ReportFailure("dbg: ", FFormatName, "OpenReportExport", " - report already opened.");
        return false;
    }
    try {
        const TCreateResult created = CreateReportFile(ReportFileName);
        if (created == TCreateResult::kExists) {
            ReportFailure("dbg: ", FFormatName, "OpenReportExport",
                          (std::string(" - ") + FFormatName + " file already exists.").c_str());
            return false;
        }
        if (created == TCreateResult::kFailed) throw std::runtime_error("cannot create the report file");
        const int handle = DuplicateReportHandle();
        FDestinationFile = handle >= 0 ? ::fdopen(handle, "wb") : nullptr;
        if (FDestinationFile == nullptr) {
            if (handle >= 0) ::close(handle);
            throw std::runtime_error("cannot open the report file");
        }
        FDestinationFileName = ReportFileName;
        FReportIndex = 0;
        WriteHeading(FileName);
        if (StreamFailed()) throw std::runtime_error("cannot write the report file");
        return true;
    } catch (...) {
        if (FDestinationFile != nullptr) CloseFile();
        // Nothing of a half-written heading is kept: the file is ours.
        FReportFile.Discard();
        FDestinationFileName.clear();
        FReportIndex = 0;
        if (!FQuietOpenFailure) ReportFailure("", FFormatName, "OpenReportExport", " call...");
        return false;
    }
}

bool TQlReportExportText::AddReport(std::int32_t Module, std::int32_t ReportType, const std::string& ReportMessage,
                                    std::int32_t StreamID) {
    if (!IsOpen()) {
        ReportFailure("dbg: ", FFormatName, "AddReport", " - report not opened.");
        return false;
    }
    try {
        WriteItem(Module, ReportType, ReportMessage, StreamID);
        if (StreamFailed()) throw std::runtime_error("cannot write the report file");
        ++FReportIndex;
        return true;
    } catch (...) {
        ReportFailure("", FFormatName, "AddReport", " call...");
        return false;
    }
}

bool TQlReportExportText::CloseReportExport() {
    if (!IsOpen()) {
        ReportFailure("dbg: ", FFormatName, "CloseReportExport", " - report not opened.");
        return false;
    }
    bool written = true;
    try {
        WriteTrailer();
    } catch (...) {
        written = false;
    }
    written = CloseFile() && written;
    if (written)
        written = CommitReportFile();
    else
        FReportFile.Discard();
    FDestinationFileName.clear();
    FReportIndex = 0;
    if (!written) ReportFailure("", FFormatName, "CloseReportExport", " call...");
    return written;
}

void TQlReportExportText::WriteLine(const std::string& line) {
    if (FDestinationFile == nullptr) throw std::logic_error("no report file");
    std::fwrite(line.data(), 1, line.size(), FDestinationFile);
    std::fwrite("\r\n", 1, 2, FDestinationFile);
}

void TQlReportExportText::CloseOnDestroy() noexcept {
    try {
        if (IsOpen()) CloseReportExport();
    } catch (...) {
        ReportFailure("", FFormatName, "Destroy", " call...");
    }
}

bool TQlReportExportText::StreamFailed() const {
    return FDestinationFile == nullptr || std::ferror(FDestinationFile) != 0;
}

bool TQlReportExportText::CloseFile() {
    // Buffered lines reach the disk only here: a full disk shows in the
    // flush or the close, not in the writes before.
    const bool flushed = std::fflush(FDestinationFile) == 0;
    const bool clean = std::ferror(FDestinationFile) == 0;
    const bool closed = std::fclose(FDestinationFile) == 0;
    FDestinationFile = nullptr;
    return flushed && clean && closed;
}

}  // namespace validation
