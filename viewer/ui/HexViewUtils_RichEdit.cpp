#include "viewer/ui/HexViewUtils_RichEdit.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/debug_output.h"

namespace {

constexpr int kFontPointSize = 10;

// Bold text in these colours. The frame's bytes are blue on light yellow;
// the bytes of the field chosen in the detail tree white on a strong blue.
QTextCharFormat HighlightFormat(const QColor& foreground, const QColor& background) {
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setForeground(foreground);
    format.setBackground(background);
    return format;
}

void FormatColumns(QTextDocument& document, int line, int column, int count, const QTextCharFormat& format) {
    const QTextBlock block = document.findBlockByNumber(line);
    if (!block.isValid() || count <= 0) return;
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + column);
    cursor.setPosition(block.position() + column + count, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(format);
}

QString JoinLines(const std::vector<std::u16string>& lines) {
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += QString::fromStdU16String(lines[i]);
    }
    return text;
}

// Keeps a widget from repainting while it lives.
class SuspendedUpdates {
public:
    explicit SuspendedUpdates(QWidget* widget) : widget_(widget) { widget_->setUpdatesEnabled(false); }
    ~SuspendedUpdates() { widget_->setUpdatesEnabled(true); }
    SuspendedUpdates(const SuspendedUpdates&) = delete;
    SuspendedUpdates& operator=(const SuspendedUpdates&) = delete;

private:
    QWidget* widget_;
};

// Sets a flag for the lifetime of the object and restores its old value.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

// Whether the columns of a hex line line up in this font. Some monospaced
// fonts are not flagged as fixed pitch (a few of their glyphs are wider), so
// the characters the views draw are measured instead.
bool HasEvenAdvances(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QLatin1Char('0'));
    for (const QChar c : QStringLiteral("iW. x:(\u00C4\u00FF")) {
        if (metrics.horizontalAdvance(c) != width) return false;
    }
    return width > 0;
}

}  // namespace

QFont FixedPitchFont(QFont wanted) {
    wanted.setStyleHint(QFont::Monospace);
    wanted.setFixedPitch(true);
    if (HasEvenAdvances(wanted)) return wanted;
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (wanted.pixelSize() > 0) {
        fallback.setPixelSize(wanted.pixelSize());
    } else {
        fallback.setPointSizeF(wanted.pointSizeF());
    }
    return fallback;
}

THexView::THexView(QObject* parent) : QObject(parent) {}

THexView::~THexView() {
    try {
        CloseStream();
        Unbind();
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.Destroy call...");
    }
}

int THexView::Init(QTextEdit* richEdit, QScrollBar* scrollBar) {
    try {
        if (richEdit == nullptr || scrollBar == nullptr) throw std::invalid_argument("no control");
        Unbind();
        FRichEdit = richEdit;
        FScrollBar = scrollBar;
        richEdit->installEventFilter(this);
        richEdit->setFont(FixedPitchFont(QFont(QStringLiteral("Courier New"), kFontPointSize)));
        richEdit->setReadOnly(true);
        richEdit->setLineWrapMode(QTextEdit::NoWrap);
        // The view scrolls with its own bar; the control only ever holds what fits.
        richEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scrollBar->setRange(0, kHexScrollMaximum);
        scrollBar->setSingleStep(1);
        scrollBar->setPageStep(1);
        SetScrollPosition(0);
        FScrollConnection = connect(scrollBar, &QScrollBar::actionTriggered, this, &THexView::CustomScrollEvent);
        return 0;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.Init call...");
        return kE_FAIL;
    }
}

int THexView::OpenFile(const std::string& fileName) {
    try {
        CloseStream();
        if (FRichEdit) FRichEdit->clear();
        FSelectionStartOffset = 0;
        FSelectionLength = 0;
        std::error_code error;
        if (!std::filesystem::is_regular_file(fileName, error)) return 0;
        auto stream = std::make_unique<platform::SharedFile>();
        if (!stream->Open(fileName, platform::SharedFile::Access::Read)) throw std::runtime_error("open");
        FFileStream = std::move(stream);
        FLastRefreshOffset = -1;
        RefreshFileData(0);
        return 0;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.OpenFile call...");
        return kE_FAIL;
    }
}

int THexView::CloseFile() {
    try {
        CloseStream();
        if (FRichEdit) FRichEdit->clear();
        return 0;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.CloseFile call...");
        return kE_FAIL;
    }
}

void THexView::RefreshFileData(std::int64_t offset) {
    try {
        const auto target = HexRefreshTarget(IsFileOpen(), offset, FLastRefreshOffset, FileSize());
        if (!target) return;
        Draw(*target);
        if (!FScrollBusy) SetScrollPosition(HexScrollPosition(FLastRefreshOffset, FileSize()));
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.RefreshFileData call...");
    }
}

void THexView::SetSelection(std::int64_t startOffset, std::int64_t length) {
    FSelectionStartOffset = startOffset;
    FSelectionLength = length;
    FFieldLength = 0;
    RefreshFileData(-1);
}

void THexView::SetFieldSelection(std::int64_t startOffset, std::int64_t length) {
    FFieldStartOffset = startOffset;
    FFieldLength = length;
    RefreshFileData(-1);
}

bool THexView::eventFilter(QObject* watched, QEvent* event) {
    // The type first: the control sends events while it is being destroyed,
    // when it may no longer be looked at as a QTextEdit.
    if (event->type() == QEvent::KeyPress && watched == FRichEdit.data()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        FRichEditKeyDown(key->key(), key->modifiers());
    }
    return QObject::eventFilter(watched, event);  // the control still gets the key
}

void THexView::FRichEditKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    try {
        if (!IsFileOpen() || modifiers.testFlag(Qt::ShiftModifier)) return;
        const int page = HexPageLines(ClientHeight());
        const HexOffset size = FileSize();
        const auto go = [&](THexMove move) {
            RefreshFileData(HexMoveTarget(move, FLastRefreshOffset, page, size));
        };
        switch (key) {
            case Qt::Key_Up: go(THexMove::LineUp); break;
            case Qt::Key_Down: go(THexMove::LineDown); break;
            case Qt::Key_PageUp: go(THexMove::PageUp); break;
            case Qt::Key_PageDown: go(THexMove::PageDown); break;
            case Qt::Key_Home: go(THexMove::Home); break;
            case Qt::Key_End: go(THexMove::End); break;
            default: break;
        }
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.FRichEditKeyDown call...");
    }
}

// Called while the scroll bar applies an action: the position it holds may
// still be replaced, and the bar takes whatever position we leave.
void THexView::CustomScrollEvent(int action) {
    if (!IsFileOpen() || FScrollBusy || !FScrollBar) return;
    try {
        FlagScope busy(FScrollBusy);
        switch (action) {
            case QAbstractSlider::SliderSingleStepSub: FScrollBar->setSliderPosition(GoOneLineUp()); break;
            case QAbstractSlider::SliderSingleStepAdd: FScrollBar->setSliderPosition(GoOneLineDown()); break;
            case QAbstractSlider::SliderPageStepSub: FScrollBar->setSliderPosition(GoOnePageUp()); break;
            case QAbstractSlider::SliderPageStepAdd: FScrollBar->setSliderPosition(GoOnePageDown()); break;
            case QAbstractSlider::SliderMove: TrackThumb(FScrollBar->sliderPosition()); break;
            case QAbstractSlider::SliderToMinimum: FScrollBar->setSliderPosition(GoHome()); break;
            // The other actions leave the view, and so the bar, where they are.
            default: FScrollBar->setSliderPosition(FScrollBar->value()); break;
        }
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.CustomScrollEvent call...");
    }
}

int THexView::GoOneLineUp() {
    try {
        return MoveAndFocus(THexMove::LineUp);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.GoOneLineUp call...");
        return FScrollBar ? FScrollBar->value() : 0;
    }
}

int THexView::GoOneLineDown() {
    try {
        return MoveAndFocus(THexMove::LineDown);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.GoOneLineDown call...");
        return FScrollBar ? FScrollBar->value() : 0;
    }
}

int THexView::GoOnePageUp() {
    try {
        return MoveAndFocus(THexMove::PageUp);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.GoOnePageUp call...");
        return FScrollBar ? FScrollBar->value() : 0;
    }
}

int THexView::GoOnePageDown() {
    try {
        return MoveAndFocus(THexMove::PageDown);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.GoOnePageDown call...");
        return FScrollBar ? FScrollBar->value() : 0;
    }
}

int THexView::GoHome() {
    try {
        return MoveAndFocus(THexMove::Home);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexView.GoHome call...");
        return FScrollBar ? FScrollBar->value() : 0;
    }
}

void THexView::TrackThumb(int position) {
    RefreshFileData(HexOffsetFromScroll(position, FileSize()));
    if (FRichEdit) FRichEdit->setFocus();
}

int THexView::MoveAndFocus(THexMove move) {
    const HexOffset size = FileSize();
    const HexOffset target = HexMoveTarget(move, FLastRefreshOffset, HexPageLines(ClientHeight()), size);
    RefreshFileData(target);
    if (FRichEdit) FRichEdit->setFocus();
    return HexScrollPosition(target, size);
}

bool THexView::IsFileOpen() const { return FFileStream && FFileStream->IsOpen(); }

HexOffset THexView::FileSize() const { return IsFileOpen() ? FFileStream->Size() : 0; }

int THexView::ClientHeight() const { return FRichEdit ? FRichEdit->viewport()->height() : 0; }

void THexView::CloseStream() {
    FFileStream.reset();
    FLastRefreshOffset = -1;
}

void THexView::Unbind() {
    if (FRichEdit) FRichEdit->removeEventFilter(this);
    disconnect(FScrollConnection);
    FRichEdit = nullptr;
    FScrollBar = nullptr;
}

void THexView::Draw(HexOffset offset) {
    if (!FRichEdit) throw std::logic_error("no text control");
    const int lines = HexLinesPerWindow(ClientHeight());
    const HexOffset start = HexLineStart(offset);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(lines) * kHexBytesPerLine, 0);
    if (!FFileStream->Seek(start)) throw std::runtime_error("seek");
    const std::int64_t got = FFileStream->Read(buffer.data(), static_cast<std::int64_t>(buffer.size()));
    if (got < 0) throw std::runtime_error("read");
    Paint(HexDisplayLines(start, buffer.data(), got), HexHighlights(start, got, FSelectionStartOffset, FSelectionLength),
          HexHighlights(start, got, FFieldStartOffset, FFieldLength));
    FLastRefreshOffset = offset;
}

void THexView::Paint(const std::vector<std::u16string>& lines, const std::vector<THexHighlight>& highlights,
                     const std::vector<THexHighlight>& fieldHighlights) {
    SuspendedUpdates suspended(FRichEdit);
    FRichEdit->clear();
    FRichEdit->setPlainText(JoinLines(lines));
    QTextDocument& document = *FRichEdit->document();
    const QTextCharFormat format = HighlightFormat(QColor(0, 0, 255), QColor(255, 255, 160));
    const QTextCharFormat fieldFormat = HighlightFormat(QColor(255, 255, 255), QColor(0, 96, 192));
    for (const auto& [ranges, rangeFormat] : {std::pair{&highlights, &format}, std::pair{&fieldHighlights, &fieldFormat}}) {
        for (const THexHighlight& h : *ranges) {
            FormatColumns(document, h.Line, h.HexColumn, h.HexCount, *rangeFormat);
            FormatColumns(document, h.Line, h.TextColumn, h.TextCount, *rangeFormat);
        }
    }
    FRichEdit->setTextCursor(QTextCursor(&document));
}

void THexView::SetScrollPosition(int position) {
    if (!FScrollBar) return;
    FlagScope busy(FScrollBusy);
    FScrollBar->setValue(position);
}
