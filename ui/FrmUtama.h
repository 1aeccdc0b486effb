#pragma once

// The main window: the message goes into the input area on top, the mode list
// says how it is written, "Decode" writes the decoded text into the output area.
// The input mode last used is kept in an INI file beside the executable.

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

class TfrmDecode : public QWidget {
    Q_OBJECT

public:
    // `settingsPath` is the INI file that keeps the input mode between runs.
    explicit TfrmDecode(const QString& settingsPath, QWidget* parent = nullptr);
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

private:
    QWidget* CreateOptionPanel();
    QWidget* CreateActionPanel();
    void SetTabOrder();

    // The decode action, which may run out of memory.
    void Decode();

    const QString FSettingsPath;
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
