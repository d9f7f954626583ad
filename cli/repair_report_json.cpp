#include "cli/repair_report_json.h"

#include <ostream>

#include "cli/output_format.h"

namespace cli {
namespace {

void WriteChange(const mparepair::change& c, std::ostream& out) {
    out << "{\"kind\": " << JsonString(mparepair::kind_name(c.kind))
        << ", \"change\": " << (mparepair::is_change(c.kind) ? "true" : "false")
        << ", \"input_offset\": " << c.input_offset << ", \"input_length\": " << c.input_length
        << ", \"output_offset\": " << c.output_offset << ", \"before\": " << c.before << ", \"after\": " << c.after
        << ", \"why\": " << JsonString(c.why) << "}";
}

void WriteRecheck(const mparepair::report& report, std::ostream& out) {
    out << "{\"frames\": " << report.recheck.frames << ", \"problem_count\": " << report.recheck_problem_count
        << ", \"problems\": [";
    for (std::size_t i = 0; i < report.recheck_problems.size(); ++i) {
        const mpacheck::finding& f = report.recheck_problems[i];
        out << (i == 0 ? "\n    " : ",\n    ") << "{\"kind\": " << JsonString(mpacheck::kind_name(f.kind))
            << ", \"output_offset\": " << f.offset << ", \"message\": " << JsonString(mpacheck::describe(f)) << "}";
    }
    out << (report.recheck_problems.empty() ? "]}" : "\n  ]}");
}

}  // namespace

void WriteRepairJson(const mparepair::report& report, const std::string& inputName, const std::string& outputName,
                     std::ostream& out) {
    out << "{\n  \"input\": " << JsonString(inputName) << ",\n  \"output\": " << JsonString(outputName)
        << ",\n  \"changes\": [";
    for (std::size_t i = 0; i < report.changes.size(); ++i) {
        out << (i == 0 ? "\n    " : ",\n    ");
        WriteChange(report.changes[i], out);
    }
    out << (report.changes.empty() ? "]" : "\n  ]") << ",\n  \"totals\": {\"changes\": " << mparepair::change_count(report)
        << ", \"kept_as_found\": " << static_cast<std::int64_t>(report.changes.size()) - mparepair::change_count(report)
        << ", \"bytes_dropped\": " << report.bytes_dropped << ", \"fields_rewritten\": " << report.fields_rewritten
        << ", \"input_bytes\": " << report.input_bytes << ", \"output_bytes\": " << report.output_bytes
        << "},\n  \"recheck\": ";
    WriteRecheck(report, out);
    out << "\n}\n";
}

}  // namespace cli
