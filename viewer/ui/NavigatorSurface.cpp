#include "viewer/ui/NavigatorSurface.h"

#include <QApplication>

#include "viewer/ui/FrameListView.h"
#include "viewer/ui/NavigatorScrollBar.h"

TFormNavigatorSurface::TFormNavigatorSurface(TFrameListView& list, TNavigatorScrollBar& scrollBar)
    : list_(list), scrollBar_(scrollBar) {}

int TFormNavigatorSurface::VisibleRows() const { return list_.VisibleRows(); }

int TFormNavigatorSurface::ScrollPosition() const { return scrollBar_.value(); }

void TFormNavigatorSurface::SetScrollPosition(int position) { scrollBar_.setValue(position); }

int TFormNavigatorSurface::ScrollMaximum() const { return scrollBar_.maximum(); }

void TFormNavigatorSurface::SetScrollMaximum(int maximum) { scrollBar_.setRange(0, maximum); }

void TFormNavigatorSurface::ClearSelection() { list_.clearSelection(); }

void TFormNavigatorSurface::SelectRow(int row) {
    list_.SelectRow(row);
    list_.setFocus();
}

void TFormNavigatorSurface::Repaint() { list_.viewport()->update(); }

void TFormNavigatorSurface::BeginBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void TFormNavigatorSurface::EndBusyCursor() { QApplication::restoreOverrideCursor(); }
