// The tamberly viewer: the main window as the one main form, and the event
// loop until it closes.

#include <QApplication>

#include "viewer/ui/TamberlyForm.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamberly"));
    QApplication::setOrganizationName(QStringLiteral("Orvanne Media Solutions"));
    QApplication::setApplicationVersion(QStringLiteral(TAMBERLY_VERSION_STRING));

    TTamberlyForm form;
    form.UseDemultiplexerPlugins();
    form.SetCommandLineFile(TTamberlyForm::CommandLineFile(QApplication::arguments()));
    form.show();
    return QApplication::exec();
}
