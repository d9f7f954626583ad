// The main window's hex edit command: the selected frame's bytes in the hex
// edit dialog on a read-write stream of the loaded file, then the offer to
// reload the file.

#include <QFile>

#include <memory>
#include <string>

#include "platform/debug_output.h"
#include "platform/file_exists.h"
#include "viewer/model/HexEditText.h"
#include "viewer/ui/FrameListView.h"
#include "viewer/ui/HexEditAsker.h"
#include "viewer/ui/HexEditForm.h"
#include "viewer/ui/TamberlyForm.h"
#include "viewer/ui/WaitCursor.h"

void TTamberlyForm::HexEditSelectedFrame1Click() {
    try {
        THexEditAsker& asker = FHexEditAsker != nullptr ? *FHexEditAsker : DefaultHexEditAsker();
        const std::string fileName = FNavigator.IsFileOpen() ? FNavigator.FileName() : std::string();
        std::unique_ptr<THexEditStream> stream;
        if (platform::IsExistingFile(fileName)) {
            stream = FHexEditOpener ? FHexEditOpener(fileName) : OpenHexEditFile(fileName);
            if (!stream) {
                asker.ShowMessage(this, QString::fromLatin1(kHexEditLockedMessage));
                return;
            }
        }
        if (!stream) {
            asker.ShowError(this, QString::fromLatin1(kHexEditNoFileMessage));
            return;
        }
        const int row = FrameList->SelectedRow();
        if (row < 0) {
            asker.ShowError(this, QString::fromLatin1(kHexEditNoFrameMessage));
            return;
        }
        const TFrameNavigator::RowTexts texts = FNavigator.ListView1Data(row);
        std::int64_t offset = 0;
        std::int64_t size = 0;
        if (!TFrameNavigator::TextToOffset(texts[0], offset) || !HexEditTextToSize(texts[1], size)) return;

        const QString caption = QString::fromStdString(HexEditFrameCaption(offset));
        if (!EditFile(stream.get(), caption, offset, size, this, &asker)) return;
        if (!asker.AskConfirmation(this, QString::fromLatin1(kHexEditReloadQuestion))) return;
        TWaitCursor wait;
        const QString name = QFile::decodeName(QByteArray::fromStdString(fileName));
        UnloadFile();
        LoadFile(name, false);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.HexEditSelectedFrame1Click call...");
    }
}
