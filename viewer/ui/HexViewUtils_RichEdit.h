#pragma once
// The hex view: the raw bytes of the open file, 16 per line, drawn into a
// read-only text control, with its own vertical scroll bar (0..100000 over
// the whole file) and its own read handle on the file. Only the lines that
// fit the control are read and drawn. The layout, the highlight ranges and
// every offset decision come from viewer/model/HexFormat.h; this class reads
// the file, paints and forwards key and scroll events.
//
// Failures never leave an operation: each writes one debug line
// ("dbg: Error in THexView.<operation> call...") and returns kE_FAIL where it
// returns a status.

#include <QFont>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/shared_file.h"
#include "viewer/model/HexFormat.h"

class QScrollBar;
class QTextEdit;

inline constexpr int kE_FAIL = static_cast<int>(0x80004005);

// The font asked for (with the monospace style hint, so that the system may
// substitute a monospaced family) when its characters all advance by the
// same width; otherwise the system's fixed-pitch font at the same size.
[[nodiscard]] QFont FixedPitchFont(QFont wanted);

class THexView : public QObject {
    Q_OBJECT

public:
    explicit THexView(QObject* parent = nullptr);
    ~THexView() override;  // closes the file
    THexView(const THexView&) = delete;
    THexView& operator=(const THexView&) = delete;

    // Binds the text control (keys, font "Courier New" 10, read-only, no
    // wrap) and the scroll bar (0..100000, steps of 1, position 0). Neither
    // is owned; both may be destroyed before the view. 0 or kE_FAIL.
    int Init(QTextEdit* richEdit, QScrollBar* scrollBar);
    // Closes any open file; opens this one (if it exists) and draws from
    // offset 0 without a highlight. A missing file leaves the view empty
    // and returns 0. 0 or kE_FAIL.
    int OpenFile(const std::string& fileName);
    // Closes the file and clears the text control. 0 or kE_FAIL.
    int CloseFile();
    // Draws from the line holding offset; a negative offset redraws where
    // the view stands. Offsets at or past the end, or the offset drawn last,
    // change nothing.
    void RefreshFileData(std::int64_t offset);
    // Highlights [startOffset, startOffset + length) and redraws; a length
    // of 0 removes the highlight. A field highlight goes with it.
    void SetSelection(std::int64_t startOffset, std::int64_t length);
    // Highlights [startOffset, startOffset + length), the bytes of one field,
    // in a stronger colour than the selection and redraws; a length of 0
    // removes it.
    void SetFieldSelection(std::int64_t startOffset, std::int64_t length);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FRichEditKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void CustomScrollEvent(int action);
    int GoOneLineUp();
    int GoOneLineDown();
    int GoOnePageUp();
    int GoOnePageDown();
    int GoHome();
    void TrackThumb(int position);

    [[nodiscard]] bool IsFileOpen() const;
    [[nodiscard]] HexOffset FileSize() const;
    [[nodiscard]] int ClientHeight() const;
    // Moves as a key or scroll action would, focuses the text control and
    // returns the scroll-bar position of the new offset.
    int MoveAndFocus(THexMove move);
    void CloseStream();
    void Unbind();
    void Draw(HexOffset offset);
    void Paint(const std::vector<std::u16string>& lines, const std::vector<THexHighlight>& highlights,
               const std::vector<THexHighlight>& fieldHighlights);
    void SetScrollPosition(int position);

    QPointer<QTextEdit> FRichEdit;
    QPointer<QScrollBar> FScrollBar;
    std::unique_ptr<platform::SharedFile> FFileStream;
    std::int64_t FLastRefreshOffset = -1;
    std::int64_t FSelectionStartOffset = 0;
    std::int64_t FSelectionLength = 0;
    std::int64_t FFieldStartOffset = 0;
    std::int64_t FFieldLength = 0;
    bool FScrollBusy = false;  // the view itself is moving the scroll bar
    QMetaObject::Connection FScrollConnection;
};
