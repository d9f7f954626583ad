#include "viewer/model/NavigatorActions.h"

#include <algorithm>
#include <limits>

#include "platform/debug_output.h"

namespace {

// Shows the hourglass for as long as it lives, whatever way the scope is left.
class BusyCursor {
public:
    explicit BusyCursor(TNavigatorSurface& surface) : surface_(surface) { surface_.BeginBusyCursor(); }
    ~BusyCursor() { surface_.EndBusyCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    TNavigatorSurface& surface_;
};

int ToScrollUnits(std::int64_t position) {
    const std::int64_t units = std::max<std::int64_t>(position, 0) / TNavigatorActions::kScrollUnit;
    return static_cast<int>(std::min<std::int64_t>(units, std::numeric_limits<int>::max()));
}

}  // namespace

TNavigationKey WheelToNavigationKey(int delta, bool ctrlHeld) {
    if (delta > 0) return ctrlHeld ? TNavigationKey::PageUp : TNavigationKey::Up;
    return ctrlHeld ? TNavigationKey::PageDown : TNavigationKey::Down;
}

TNavigatorActions::TNavigatorActions(TFrameNavigator& navigator, TNavigatorSurface& surface)
    : navigator_(navigator), surface_(surface) {}

int TNavigatorActions::ScrollMaximumFor(std::int64_t fileSize) {
    const std::int64_t maximum = std::max<std::int64_t>(fileSize / kScrollUnit - 1, 0);
    return static_cast<int>(std::min<std::int64_t>(maximum, std::numeric_limits<int>::max()));
}

bool TNavigatorActions::RebuildAt(std::int64_t position) {
    return navigator_.RefreshPosition(position, surface_.VisibleRows());
}

bool TNavigatorActions::ShowFrameAt(std::int64_t headerOffset) {
    {
        BusyCursor busy(surface_);
        RebuildAt(headerOffset);
    }
    if (navigator_.FramesCount() == 0) return false;
    FCurrentPosition = headerOffset;
    FinishKeyMove(headerOffset);
    surface_.SelectRow(0);
    return true;
}

bool TNavigatorActions::ShowFromStart() {
    surface_.SetScrollPosition(0);
    FCurrentPosition = navigator_.AudioStart();
    const bool rebuilt = RebuildAt(FCurrentPosition);
    FScrollLastPosition = 0;
    surface_.SetScrollMaximum(ScrollMaximumFor(navigator_.FileSize()));
    return rebuilt;
}

void TNavigatorActions::ShowNothing() {
    navigator_.ClearPage();
    RebuildAt(0);
    surface_.Repaint();
}

void TNavigatorActions::FormResize() {
    try {
        RebuildAt(FCurrentPosition);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.FormResize call...");
    }
}

TNavigatorActions::PageEnds TNavigatorActions::CurrentPageEnds() const {
    std::lock_guard lock(navigator_.FramesLock());
    PageEnds page;
    const int count = navigator_.FramesCount();
    if (count == 0) return page;
    page.Empty = false;
    page.First = navigator_.Frame(0).Offset;
    page.Last = navigator_.Frame(count - 1).Offset;
    return page;
}

std::int64_t TNavigatorActions::OriginBeforeFirst(const PageEnds& page) const {
    return page.Empty ? 0 : std::max<std::int64_t>(page.First - 4, 0);
}

void TNavigatorActions::SetScrollTo(std::int64_t position) {
    surface_.SetScrollPosition(ToScrollUnits(position));
    // What the scroll bar took: near the end of the file position div 100 can
    // lie past its maximum, and the next arrow click is measured from here.
    FScrollLastPosition = surface_.ScrollPosition();
}

// ---------------------------------------------------------------- keys

void TNavigatorActions::ListView1KeyDown(TNavigationKey key, int selectedRow) {
    try {
        if (selectedRow < 0) return;
        const TFrameNavigator::ReadReuse reuse(navigator_);
        switch (key) {
            case TNavigationKey::Up: KeyUp(selectedRow); break;
            case TNavigationKey::Down: KeyDown(selectedRow); break;
            case TNavigationKey::PageUp: KeyPageUp(); break;
            case TNavigationKey::PageDown: KeyPageDown(); break;
            case TNavigationKey::Home: KeyHome(); break;
            case TNavigationKey::End: KeyEnd(); break;
        }
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.ListView1KeyDown call...");
    }
}

void TNavigatorActions::FinishKeyMove(std::int64_t found) {
    SetScrollTo(found);
    surface_.Repaint();
}

void TNavigatorActions::KeyUp(int selectedRow) {
    if (selectedRow != 0) return;
    std::int64_t found = 0;
    if (!navigator_.SearchPreviousPackPositionFromPos(found, OriginBeforeFirst(CurrentPageEnds()))) return;
    RebuildAt(found);
    ToggleParity();
    FinishKeyMove(found);
}

void TNavigatorActions::KeyDown(int selectedRow) {
    const int count = navigator_.FramesCount();
    if (selectedRow != count - 1 || !navigator_.IsPageFull()) return;
    if (navigator_.ListView1Data(selectedRow)[0].empty()) return;
    const PageEnds page = CurrentPageEnds();
    const std::int64_t from = page.Empty ? 0 : page.First + 4;
    std::int64_t found = 0;
    if (!navigator_.SearchNextPackPositionFromPos(found, from)) return;
    RebuildAt(found == page.First + 4 ? page.First : found);
    ToggleParity();
    const int rebuiltCount = navigator_.FramesCount();
    if (rebuiltCount < navigator_.RowsCount() && rebuiltCount > 0) surface_.SelectRow(rebuiltCount - 1);
    FinishKeyMove(found);
}

void TNavigatorActions::KeyPageUp() {
    std::int64_t found = 0;
    const std::int64_t from = OriginBeforeFirst(CurrentPageEnds());
    if (!navigator_.SearchBackPackPositionFromPos(found, navigator_.RowsCount(), from)) return;
    RebuildAt(found);
    FinishKeyMove(found);
}

void TNavigatorActions::KeyPageDown() {
    if (!navigator_.IsPageFull()) {
        surface_.SetScrollPosition(FScrollLastPosition);
        return;
    }
    const PageEnds page = CurrentPageEnds();
    const std::int64_t from = page.Empty ? 0 : page.Last + 4;
    std::int64_t found = 0;
    if (!navigator_.SearchNextPackPositionFromPos(found, from)) return;
    RebuildAt(found == page.Last + 4 ? page.Last : found);
    FinishKeyMove(found);
}

void TNavigatorActions::KeyHome() {
    surface_.SetScrollPosition(0);
    std::int64_t found = 0;
    {
        BusyCursor busy(surface_);
        if (!navigator_.SearchNextPackPositionFromPos(found, navigator_.AudioStart())) return;
        RebuildAt(found);
    }
    FinishKeyMove(found);
}

void TNavigatorActions::KeyEnd() {
    surface_.SetScrollPosition(surface_.ScrollMaximum());
    std::int64_t found = 0;
    {
        BusyCursor busy(surface_);
        const std::int64_t from = std::max<std::int64_t>(navigator_.FileSize() - 4, 0);
        if (!navigator_.SearchBackPackPositionFromPos(found, navigator_.RowsCount(), from)) return;
        RebuildAt(found);
    }
    FinishKeyMove(found);
}

// ---------------------------------------------------------------- scroll bar

void TNavigatorActions::MyScrollMouseDown() {
    try {
        surface_.ClearSelection();
        const TFrameNavigator::ReadReuse reuse(navigator_);
        const int position = surface_.ScrollPosition();
        const int difference = FScrollLastPosition - position;
        if (difference == 1 || difference == -1 || difference == kScrollLargeChange ||
            difference == -kScrollLargeChange) {
            ScrollStep(difference);
        } else {
            ScrollJump(position);
        }
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.MyScrollMouseDown call...");
    }
}

// The arrows and the page areas: one row or one page from the page shown.
// A failed search rebuilds at the origin itself.
void TNavigatorActions::ScrollStep(int difference) {
    const PageEnds page = CurrentPageEnds();
    const bool forward = difference < 0;
    if (forward && !navigator_.IsPageFull()) {
        surface_.SetScrollPosition(FScrollLastPosition);
        return;
    }
    std::int64_t origin = 0;
    if (forward) origin = page.Empty ? 0 : (difference == -1 ? page.First : page.Last) + 4;
    else origin = OriginBeforeFirst(page);

    std::int64_t found = 0;
    bool ok = false;
    if (forward) ok = navigator_.SearchNextPackPositionFromPos(found, origin);
    else if (difference == 1) ok = navigator_.SearchPreviousPackPositionFromPos(found, origin);
    else ok = navigator_.SearchBackPackPositionFromPos(found, navigator_.RowsCount(), origin);
    const std::int64_t rebuildAt = ok ? found : origin;

    RebuildAt(rebuildAt);
    if (difference == 1 || difference == -1) ToggleParity();
    SetScrollTo(rebuildAt);
    surface_.Repaint();
}

// A thumb drag, or a click that did not change the position by one step.
void TNavigatorActions::ScrollJump(int position) {
    FScrollLastPosition = position;
    {
        BusyCursor busy(surface_);
        const std::int64_t origin = static_cast<std::int64_t>(position) * kScrollUnit;
        std::int64_t found = 0;
        const bool ok = navigator_.SearchNextPackPositionFromPos(found, origin) ||
                        navigator_.SearchPreviousPackPositionFromPos(found, origin);
        const std::int64_t rebuildAt = ok ? found : origin;
        RebuildAt(rebuildAt);
        FCurrentPosition = rebuildAt;
        surface_.SetScrollPosition(ToScrollUnits(rebuildAt));
        FScrollLastPosition = surface_.ScrollPosition();
    }
    surface_.Repaint();
}

// ---------------------------------------------------------------- copy

std::string FrameListCopyText(const TFrameNavigator& navigator) {
    std::lock_guard lock(navigator.FramesLock());
    std::string text;
    const int rows = navigator.FramesCount();
    for (int row = 0; row < rows; ++row) {
        for (const std::string& column : navigator.ListView1Data(row)) {
            text += column;
            text += ", ";
        }
        text += "\r\n";
    }
    return text;
}
