#include "cli/report_files.h"

#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>

#include "cli/commands.h"

namespace cli {

namespace {

constexpr std::pair<const char*, validation::ReportFormat> kFormatNames[] = {
    {"html", validation::ReportFormat::HTML}, {"pdf", validation::ReportFormat::PDF},
    {"xml", validation::ReportFormat::XML},   {"csv", validation::ReportFormat::CSV},
    {"txt", validation::ReportFormat::TXT},
};

std::string ExtensionOf(validation::ReportFormat format) {
    for (const auto& [name, named] : kFormatNames)
        if (named == format) return std::string(".") + name;
    return ".txt";
}

// The PDF exporter lays out pages with Qt's fonts, which need an application
// object; a server has no display, so the offscreen platform stands in unless
// the user chose one.
void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "tamberly-cli";
    static char* argv[] = {name, nullptr};
    // Starting up headless, Qt notes missing desktop settings (no runtime
    // folder, ...) on standard error; they do not concern a report file.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QGuiApplication application(argc, argv);
    qInstallMessageHandler(previous);
}

}  // namespace

std::optional<validation::ReportFormat> ReportFormatByName(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const auto& [known, format] : kFormatNames)
        if (lower == known) return format;
    return std::nullopt;
}

bool PlanReportNames(const ReportPlan& plan, const std::vector<std::string>& inputs,
                     std::vector<std::string>& reportNames, std::ostream& err) {
    reportNames.assign(inputs.size(), std::string());
    std::set<std::string> taken;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (plan.file) {
            reportNames[i] = *plan.file;
        } else if (plan.folder) {
            const std::string base = std::filesystem::path(inputs[i]).stem().string();
            reportNames[i] = (std::filesystem::path(*plan.folder) / (base + ExtensionOf(plan.folderFormat))).string();
        } else {
            continue;
        }
        for (const std::string& input : inputs)
            if (IsInputFile(reportNames[i], input, err)) return false;
        if (!taken.insert(reportNames[i]).second) {
            err << "tamberly-cli validate: two files would share the report " << reportNames[i] << "\n";
            return false;
        }
        if (!CheckOutputName(reportNames[i], plan.replace, err)) return false;
    }
    return true;
}

void PrepareReports(const std::vector<std::string>& reportNames) {
    for (const std::string& name : reportNames)
        if (!name.empty() && validation::ReportFormatForFileName(name) == validation::ReportFormat::PDF)
            return EnsureGuiApplication();
}

bool WriteReport(const std::string& mediaFileName, const std::string& reportFileName,
                 const std::vector<validation::TCustomReport>& items, bool replace, std::ostream& err) {
    // Decided again now: the name may have been taken during the run.
    if (!CheckOutputName(reportFileName, replace, err)) return false;
    const validation::ReportFormat format = validation::ReportFormatForFileName(reportFileName);
    // Qt's fonts and page layout are shared by the whole application.
    static std::mutex pdfLayout;
    std::unique_lock<std::mutex> pdfTurn(pdfLayout, std::defer_lock);
    if (format == validation::ReportFormat::PDF) {
        EnsureGuiApplication();
        pdfTurn.lock();
    }
    std::error_code error;
    const std::string mediaPath = std::filesystem::absolute(mediaFileName, error).string();
    if (validation::SaveReportItems(format, mediaPath.empty() ? mediaFileName : mediaPath, reportFileName, items,
                                    replace) == validation::kOk)
        return true;
    err << "tamberly-cli: cannot write the report " << reportFileName << "\n";
    return false;
}

}  // namespace cli
