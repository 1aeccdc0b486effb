// velquist: the window in which a message is pasted, cleaned and decoded; with
// FILE arguments (velquist FILE...), each file opens in a trace window as well.

#include "FrmUtama.h"
#include "TraceWindow.h"
#include "UFrmAbout.h"
#include "velquist/Version.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    using namespace velquist::ui;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velquist"));
    QApplication::setApplicationVersion(QString::fromLatin1(velquist::kVersion));

    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    TfrmDecode frmDecode(SettingsFilesFor(QApplication::applicationFilePath(), userFolder));
    TfrmAbout frmAbout; // hidden until "About" is pressed
    frmDecode.SetAboutDialog(&frmAbout);

    const TTraceWindowOptions traces{.SettingsFile = TraceSettingsFile(userFolder)};
    QObject::connect(&frmDecode, &TfrmDecode::TraceChosen,
                     [&traces](const QString& path) { OpenTraceWindow(path, traces); });

    frmDecode.show();
    for (const QString& path : QApplication::arguments().mid(1)) {
        OpenTraceWindow(path, traces);
    }
    // Closing the last window (the main window saves its mode) ends the loop.
    return QApplication::exec();
}
