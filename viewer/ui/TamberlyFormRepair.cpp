// The main window's "Save Repaired Copy" command: the repair dialog over the
// open file, and the repaired copy opened when the user asks for it.

#include <QFile>
#include <QFileInfo>

#include "platform/debug_output.h"
#include "viewer/model/HexEditText.h"
#include "viewer/shell/ShellTexts.h"
#include "viewer/ui/HexEditAsker.h"
#include "viewer/ui/RepairDialog.h"
#include "viewer/ui/TamberlyForm.h"
#include "viewer/ui/WaitCursor.h"

namespace {

QString RunRepairDialog(QWidget* parent, const QString& fileName) {
    TRepairDialog dialog(fileName, parent);
    dialog.exec();
    return dialog.FileToOpen();
}

}  // namespace

void TTamberlyForm::SaveRepairedCopy1Click() {
    try {
        if (!FNavigator.IsFileOpen()) {
            THexEditAsker& asker = FHexEditAsker != nullptr ? *FHexEditAsker : DefaultHexEditAsker();
            asker.ShowError(this, QString::fromLatin1(kHexEditNoFileMessage));
            return;
        }
        const QString fileName =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(FNavigator.FileName()))).absoluteFilePath();
        const QString repaired = FRepairRunner ? FRepairRunner(this, fileName) : RunRepairDialog(this, fileName);
        if (repaired.isEmpty()) return;
        TWaitCursor wait;
        UnloadFile();
        OpenFileInteractive(repaired, QString::fromLatin1(kOpenAnywayQuestion));
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.SaveRepairedCopy1Click call...");
    }
}
