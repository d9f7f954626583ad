#pragma once
// The frame list's movements over the page model: which search each key and
// each scroll-bar action runs, from where, where the page is rebuilt, when the
// row shading flips, and where the scroll bar goes afterwards. No widget: the
// window hands in its list, scroll bar and cursor through TNavigatorSurface
// and forwards its events here. Debug lines name the main window ("TForm1"),
// whose handlers these are.

#include <cstdint>
#include <string>

#include "viewer/model/FrameNavigator.h"

enum class TNavigationKey { Up, Down, PageUp, PageDown, Home, End };

// The mouse wheel as the frame list sees it: a positive delta (away from the
// user) is Up, or Page Up with Ctrl; zero or negative is Down or Page Down.
[[nodiscard]] TNavigationKey WheelToNavigationKey(int delta, bool ctrlHeld);

// What the actions need of the window: the list's visible rows and selection,
// the navigator's scroll bar (0 .. maximum, in 100-byte units) and the
// hourglass cursor.
class TNavigatorSurface {
public:
    virtual ~TNavigatorSurface() = default;

    // Rows that fit in the list's client area (the page size before the
    // 256-row cap).
    [[nodiscard]] virtual int VisibleRows() const = 0;

    [[nodiscard]] virtual int ScrollPosition() const = 0;
    // Takes the position, clamped to 0 .. ScrollMaximum().
    virtual void SetScrollPosition(int position) = 0;
    [[nodiscard]] virtual int ScrollMaximum() const = 0;
    virtual void SetScrollMaximum(int maximum) = 0;

    virtual void ClearSelection() = 0;
    // Selects the row and gives it the focus.
    virtual void SelectRow(int row) = 0;
    virtual void Repaint() = 0;

    virtual void BeginBusyCursor() = 0;
    virtual void EndBusyCursor() = 0;
};

class TNavigatorActions {
public:
    static constexpr std::int64_t kScrollUnit = 100;  // bytes per scroll-bar step
    static constexpr int kScrollLargeChange = 10;

    TNavigatorActions(TFrameNavigator& navigator, TNavigatorSurface& surface);

    // The navigator's load steps after the file was opened: the page from
    // offset 0, the scroll bar at 0 over the whole file.
    bool ShowFromStart();
    // After the file was closed: an empty page.
    void ShowNothing();

    // ListView1KeyDown: selectedRow is -1 when no row is selected (then nothing
    // happens). The list moves its own selection afterwards.
    void ListView1KeyDown(TNavigationKey key, int selectedRow);
    // MyScrollMouseDown: the user's interaction with the scroll bar has ended
    // and the scroll bar already shows its new position.
    void MyScrollMouseDown();
    // FormResize: the page again from FCurrentPosition with the new row count.
    void FormResize();

    // Rebuilds the page at a byte position with the visible row count.
    bool RebuildAt(std::int64_t position);
    // Go To: the page from a frame header on, that frame selected and the
    // scroll bar at it. False when no frame could be listed there.
    bool ShowFrameAt(std::int64_t headerOffset);

    // ListView1CustomDrawItem: whether a row gets the light grey background.
    [[nodiscard]] bool IsRowShaded(int row) const { return row % 2 == FListViewGrayItemsMode; }

    [[nodiscard]] int GrayItemsMode() const { return FListViewGrayItemsMode; }
    [[nodiscard]] std::int64_t CurrentPosition() const { return FCurrentPosition; }
    [[nodiscard]] int ScrollLastPosition() const { return FScrollLastPosition; }

    // Scroll-bar maximum for a file size: max(size div 100 - 1, 0), capped to
    // the scroll bar's 32-bit range.
    [[nodiscard]] static int ScrollMaximumFor(std::int64_t fileSize);

private:
    struct PageEnds {
        bool Empty = true;
        std::int64_t First = 0;
        std::int64_t Last = 0;
    };

    [[nodiscard]] PageEnds CurrentPageEnds() const;
    [[nodiscard]] std::int64_t OriginBeforeFirst(const PageEnds& page) const;
    void KeyUp(int selectedRow);
    void KeyDown(int selectedRow);
    void KeyPageUp();
    void KeyPageDown();
    void KeyHome();
    void KeyEnd();
    // After a successful key move: scroll bar and FScrollLastPosition at found.
    void FinishKeyMove(std::int64_t found);
    void ScrollStep(int difference);
    void ScrollJump(int position);
    void SetScrollTo(std::int64_t position);
    void ToggleParity() { FListViewGrayItemsMode ^= 1; }

    TFrameNavigator& navigator_;
    TNavigatorSurface& surface_;
    std::int64_t FCurrentPosition = 0;
    int FScrollLastPosition = 0;
    int FListViewGrayItemsMode = 0;
};

// Copy1Click's text: every row of the page shown, each column text followed
// by ", ", each row ended by "\r\n".
[[nodiscard]] std::string FrameListCopyText(const TFrameNavigator& navigator);
