#pragma once
// The frame list, its scroll bar and the cursor as the navigator's actions
// see them.

#include "viewer/model/NavigatorActions.h"

class TFrameListView;
class TNavigatorScrollBar;

class TFormNavigatorSurface : public TNavigatorSurface {
public:
    TFormNavigatorSurface(TFrameListView& list, TNavigatorScrollBar& scrollBar);

    int VisibleRows() const override;
    int ScrollPosition() const override;
    void SetScrollPosition(int position) override;
    int ScrollMaximum() const override;
    void SetScrollMaximum(int maximum) override;
    void ClearSelection() override;
    void SelectRow(int row) override;
    void Repaint() override;
    void BeginBusyCursor() override;
    void EndBusyCursor() override;

private:
    TFrameListView& list_;
    TNavigatorScrollBar& scrollBar_;
};
