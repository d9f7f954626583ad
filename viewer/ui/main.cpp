// The tamberly viewer: the main window as the one main form, and the event
// loop until it closes.

#include <QApplication>
#include <cstdio>

#include "viewer/shell/ViewerCommandLine.h"
#include "viewer/ui/TamberlyForm.h"

int main(int argc, char* argv[]) {
    if (argc == 2) {
        if (const auto answer = ViewerInformationAnswer(argv[1])) {
            std::fputs(answer->c_str(), stdout);
            return 0;
        }
    }
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
