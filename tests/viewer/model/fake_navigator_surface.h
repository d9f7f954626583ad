#pragma once
// The window as the navigator's actions see it, for the window-free tests.

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "viewer/model/NavigatorActions.h"

namespace navtest {

// The window as the actions see it, recording what they did to it.
class FakeSurface : public TNavigatorSurface {
public:
    int visibleRows = 5;
    int position = 0;
    int maximum = 0;
    int selectedRow = -1;
    int repaints = 0;
    int busyDepth = 0;
    int busyCalls = 0;
    int positionWhenBusyBegan = -1;
    bool throwOnRepaint = false;
    std::vector<int> positionsSet;

    int VisibleRows() const override { return visibleRows; }
    int ScrollPosition() const override { return position; }
    void SetScrollPosition(int value) override {
        position = std::clamp(value, 0, maximum);
        positionsSet.push_back(value);
    }
    int ScrollMaximum() const override { return maximum; }
    void SetScrollMaximum(int value) override {
        maximum = value;
        position = std::min(position, maximum);
    }
    void ClearSelection() override { selectedRow = -1; }
    void SelectRow(int row) override { selectedRow = row; }
    void Repaint() override {
        if (throwOnRepaint) throw std::runtime_error("repaint");
        ++repaints;
    }
    void BeginBusyCursor() override {
        ++busyDepth;
        ++busyCalls;
        positionWhenBusyBegan = position;
    }
    void EndBusyCursor() override { --busyDepth; }
};

}  // namespace navtest
