// The editor: one main window with a window per open document.
#include "CMainFrame.h"
#include "CPolyvaneApp.h"
#include "CommandTable.h"
#include "InstanceChannel.h"
#include "QtDialogServices.h"
#include "QtDisplayService.h"
#include "QtMessageBox.h"
#include "ShellPrompts.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <clocale>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Qt takes the user's locale for the C library too; numbers the program writes keep their '.'.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QString::fromUtf8(polyvane::resources::kAppName));
    QApplication::setOrganizationName(QString::fromUtf8(polyvane::resources::kCompanyKey));
    QApplication::setApplicationVersion(QStringLiteral(POLYVANE_VERSION));

    // A hidden option for documentation: save a picture of the main window and quit.
    QStringList files;
    QString screenshot;
    QStringList scans;
    const QStringList arguments = QApplication::arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--screenshot") && i + 1 < arguments.size())
            screenshot = arguments[++i];
        else if (arguments[i] == QLatin1String("--scan") && i + 1 < arguments.size())
            scans.append(arguments[++i]); // a scan window over this file at start-up
        else
            files.append(arguments[i]);
    }

    polyvane::InstanceChannel channel;
    if (!files.isEmpty() && screenshot.isEmpty() && scans.isEmpty() && channel.SendToRunning(files))
        return 0;

    polyvane::QtMessageBox messageBox;
    polyvane::ScopedMessageBox installed(messageBox);
    polyvane::QtDialogServices dialogs;
    polyvane::QtDisplayService display;
    polyvane::ScopedDisplayService installedDisplay(display);
    polyvane::QtShellPrompts prompts;
    polyvane::CPolyvaneApp app(prompts);
    // Textures are looked for beside the model first.
    dialogs.Files().SetStartFolder([&app] { return app.ActiveDocumentFolder(); });
    if (!app.InitInstance(files))
        return 1;
    for (const QString& scan : scans)
        app.OpenScanWindow(scan);
    if (screenshot.isEmpty()) {
        channel.Listen();
        QObject::connect(&channel, &polyvane::InstanceChannel::filesReceived, &app,
                         &polyvane::CPolyvaneApp::OpenFiles);
    } else {
        QTimer::singleShot(800, &app, [&app, screenshot] {
            app.MainFrame()->grab().save(screenshot);
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
