#pragma once

// The main window: the message goes into the input area on top, the mode list
// says how it is written, "Decode" (or Ctrl+Return) writes the decoded text into
// the output area. The input mode last used is kept in an INI file beside the
// executable, or where that cannot be written (an installed program's folder),
// in one of the same name in the user's configuration folder.

#include "velquist/InputPrep.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class QComboBox;
class QDialog;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace velquist::ui {

class TAnchorPanel;
class TDecodeLinks;
class TInputArea;

// The input mode of an index of the mode list: "ASCII Hex Mode",
// "Base24 NETADRD Hex Mode", "String Mode"; any other index (-1 when nothing is
// selected) means no mode.
TInputMode InputModeFromIndex(int index);

// The settings file of the program at `executablePath`: the same path with the
// file's extension replaced by ".ini" (appended when it has none).
QString SettingsPathFor(const QString& executablePath);

// Where the input mode is kept. The file it is saved to is the one beside the
// executable when that can be written (or made), else the user's; that file is
// read first, then the other. So a program folder of one's own keeps its
// setting beside the program, an installed program keeps each user's, and an
// INI file beside an installed program gives the mode until a user picks one.
struct TSettingsFiles {
    QString Beside; // SettingsPathFor the executable
    QString User;   // the same file name in the user's configuration folder
};

// The settings files of the program at `executablePath`, the user's in `userFolder`.
TSettingsFiles SettingsFilesFor(const QString& executablePath, const QString& userFolder);

class TfrmDecode : public QWidget {
    Q_OBJECT

public:
    // `settings` are the INI files that keep the input mode between runs.
    explicit TfrmDecode(TSettingsFiles settings, QWidget* parent = nullptr);
    ~TfrmDecode() override;

    // The About dialog that "About" shows; the window does not own it.
    void SetAboutDialog(QDialog* dialog);

public slots:
    void btnPasteClick();
    void btnRemSpacesClick();
    void btnDoClick();
    void btnAboutClick();
    void FormShow();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Ctrl+Return (or Ctrl+Enter) from any control decodes: none of them takes it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* CreateOptionPanel();
    QWidget* CreateActionPanel();
    void SetTabOrder();

    // The decode action, which may run out of memory.
    void Decode();

    const TSettingsFiles FSettings;
    QPointer<QDialog> FAboutDialog;
    bool FShown = false;

    TInputArea* mmDie = nullptr;
    QSplitter* Splitter1 = nullptr;
    TAnchorPanel* pnlOption = nullptr;
    QPushButton* btnPaste = nullptr;
    QPushButton* btnRemSpaces = nullptr;
    QComboBox* cbMode = nullptr;
    QPushButton* btnDo = nullptr;
    QPlainTextEdit* mmDieDecoded = nullptr;
    TAnchorPanel* pnlAct = nullptr;
    QPushButton* btnAbout = nullptr;

    // Ties the output lines to the input characters. A member, so it is
    // destroyed before the text areas it watches, which are child widgets.
    std::unique_ptr<TDecodeLinks> FLinks;
};

} // namespace velquist::ui
