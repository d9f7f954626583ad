// The main window's frame anatomy: the "Show audio data in the frame tree"
// switch and the bytes of the field chosen in the detail tree.

#include <QAction>
#include <QTreeWidget>

#include "platform/debug_output.h"
#include "viewer/ui/FrameDetailTree.h"
#include "viewer/ui/HexViewUtils_RichEdit.h"
#include "viewer/ui/TamberlyForm.h"

void TTamberlyForm::SetShowAudioData(bool show) {
    FShowAudioData = show;
    if (ShowAudioDataAction) ShowAudioDataAction->setChecked(show);
}

void TTamberlyForm::ShowAudioData1Click() {
    try {
        SetShowAudioData(!FShowAudioData);
        if (FDetailOffset >= 0 && DetailTree->topLevelItemCount() > 0) UpdatePack(FDetailOffset);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.ShowAudioData1Click call...");
    }
}

void TTamberlyForm::DetailTreeItemChanged() {
    try {
        if (!FHexView) return;
        const THexByteRange bytes = FrameDetailItemBytes(DetailTree->currentItem());
        // The view goes back to the frame, or to a field before it (main data
        // in an earlier frame).
        if (FDetailOffset >= 0)
            FHexView->RefreshFileData(bytes.Length > 0 && bytes.Start < FDetailOffset ? bytes.Start : FDetailOffset);
        FHexView->SetFieldSelection(bytes.Start, bytes.Length);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.DetailTreeItemChanged call...");
    }
}
