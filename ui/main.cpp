// velquist: the window in which a message is pasted, cleaned and decoded.

#include "FrmUtama.h"
#include "UFrmAbout.h"
#include "velquist/Version.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    using namespace velquist::ui;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velquist"));
    QApplication::setApplicationVersion(QString::fromLatin1(velquist::kVersion));

    TfrmDecode frmDecode(
        SettingsFilesFor(QApplication::applicationFilePath(),
                         QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)));
    TfrmAbout frmAbout; // hidden until "About" is pressed
    frmDecode.SetAboutDialog(&frmAbout);

    frmDecode.show();
    return QApplication::exec(); // closing the window saves the mode and ends the loop
}
