#include "cli/frame_rows.h"

#include <algorithm>

namespace cli {

namespace {

TFrameNavigator::RowTexts Captions() {
    TFrameNavigator::RowTexts captions;
    std::copy(TFrameNavigator::ColumnCaptions().begin(), TFrameNavigator::ColumnCaptions().end(), captions.begin());
    return captions;
}

class TextRows final : public FrameRowWriter {
public:
    explicit TextRows(std::ostream& out) : out_(out) {}
    void Begin(const std::string&) override { Row(Captions()); }
    void Row(const TFrameNavigator::RowTexts& texts) override {
        // Widest text of each column; one space separates the columns.
        static constexpr int kWidths[TFrameNavigator::kColumnCount] = {18, 6, 10, 9, 13, 8, 0};
        for (int column = 0; column < TFrameNavigator::kColumnCount; ++column) {
            const std::string& text = texts[static_cast<std::size_t>(column)];
            out_ << text;
            const int pad = std::max(kWidths[column] - static_cast<int>(text.size()), 0) + 1;
            if (column + 1 < TFrameNavigator::kColumnCount) out_ << std::string(static_cast<std::size_t>(pad), ' ');
        }
        out_ << '\n';
    }
    void End() override {}

private:
    std::ostream& out_;
};

class CsvRows final : public FrameRowWriter {
public:
    explicit CsvRows(std::ostream& out) : out_(out) {}
    void Begin(const std::string&) override { Row(Captions()); }
    void Row(const TFrameNavigator::RowTexts& texts) override {
        for (std::size_t column = 0; column < texts.size(); ++column)
            out_ << (column == 0 ? "" : ",") << CsvField(texts[column]);
        out_ << '\n';
    }
    void End() override {}

private:
    std::ostream& out_;
};

class JsonRows final : public FrameRowWriter {
public:
    explicit JsonRows(std::ostream& out) : out_(out) {}
    void Begin(const std::string& fileName) override {
        out_ << "{\"file\": " << JsonString(fileName) << ", \"frames\": [";
    }
    void Row(const TFrameNavigator::RowTexts& texts) override {
        static constexpr const char* kKeys[TFrameNavigator::kColumnCount] = {
            "offset", "length", "frame_time", "layer", "sampling_rate", "bitrate", "mode"};
        out_ << (first_ ? "\n  {" : ",\n  {");
        first_ = false;
        for (std::size_t column = 0; column < texts.size(); ++column)
            out_ << (column == 0 ? "" : ", ") << '"' << kKeys[column] << "\": " << JsonString(texts[column]);
        out_ << '}';
    }
    void End() override { out_ << (first_ ? "]}\n" : "\n]}\n"); }

private:
    std::ostream& out_;
    bool first_ = true;
};

}  // namespace

std::unique_ptr<FrameRowWriter> MakeFrameRowWriter(OutputFormat format, std::ostream& out) {
    switch (format) {
        case OutputFormat::Csv: return std::make_unique<CsvRows>(out);
        case OutputFormat::Json: return std::make_unique<JsonRows>(out);
        case OutputFormat::Text: break;
    }
    return std::make_unique<TextRows>(out);
}

}  // namespace cli
