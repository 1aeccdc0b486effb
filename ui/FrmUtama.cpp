#include "FrmUtama.h"

#include "AnchorPanel.h"
#include "Cp1252.h"
#include "velquist/InputPrep.h"
#include "velquist/IntFromText.h"
#include "velquist/UDiebold.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <array>

namespace velquist::ui {

namespace {

// The window as laid out at 96 dots per inch; sizes are of the client area.
constexpr QSize kStartSize(616, 435);
constexpr QSize kMinimumSize(565, 269);
constexpr int kFontPoints = 8;
constexpr int kInputHeight = 114;
constexpr int kSplitterHeight = 3;
constexpr int kOptionPanelHeight = 44;
constexpr int kActionPanelHeight = 41;
constexpr int kAreaMinimumHeight = 30; // how far the splitter squeezes either text area

// The mode list, in the order of TInputMode.
constexpr std::array<const char*, 3> kModeItems = {
    "ASCII Hex Mode",
    "Base24 NETADRD Hex Mode",
    "String Mode",
};

constexpr QLatin1String kLastModeKey("Settings/LastMode");

// The input area: Enter inserts no line break, so a message is one line unless
// it is pasted with its line breaks.
class TInputArea : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->ignore();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
};

// What the input and the output area share: a fixed-pitch font, no horizontal
// scroll bar, Tab moving on to the next control.
void SetUpTextArea(QPlainTextEdit& area, const char* name) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(kFontPoints);
    area.setObjectName(QString::fromLatin1(name));
    area.setFont(font);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setTabChangesFocus(true);
    area.setMinimumHeight(kAreaMinimumHeight);
}

QPushButton* AddButton(TAnchorPanel& panel, const char* name, const QString& caption,
                       const QRect& place, TAnchorPanel::TAnchor anchor) {
    auto* button = new QPushButton(caption, &panel);
    button->setObjectName(QString::fromLatin1(name));
    panel.Place(button, place, anchor);
    return button;
}

// Adds `line` as the new last line of the area, below everything it shows, and
// scrolls it into view.
void AppendLine(QPlainTextEdit& area, const QString& line) {
    QTextCursor cursor(area.document());
    cursor.movePosition(QTextCursor::End);
    if (!cursor.block().text().isEmpty()) {
        cursor.insertBlock();
    }
    cursor.insertText(line);
    area.setTextCursor(cursor);
    area.ensureCursorVisible();
}

// "LastMode" as stored, 0 when it is missing or not a number.
int ReadLastMode(const QString& settingsPath) {
    const QSettings settings(settingsPath, QSettings::IniFormat);
    return IntFromText(settings.value(kLastModeKey).toString().toStdString(), 0);
}

// Errors (a folder without write permission, ...) leave the file as it was.
void WriteLastMode(const QString& settingsPath, int mode) {
    QSettings settings(settingsPath, QSettings::IniFormat);
    settings.setValue(kLastModeKey, mode);
    settings.sync();
}

} // namespace

TInputMode InputModeFromIndex(int index) {
    switch (index) {
    case 0: return TInputMode::AsciiHex;
    case 1: return TInputMode::Netadrd;
    case 2: return TInputMode::String;
    default: return TInputMode::None;
    }
}

QString SettingsPathFor(const QString& executablePath) {
    const qsizetype nameStart = executablePath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const QString base = dot >= nameStart ? executablePath.left(dot) : executablePath;
    return base + QStringLiteral(".ini");
}

QString BreakLongLines(const QString& text, qsizetype longest) {
    QString shown(text.size() + text.size() / longest, Qt::Uninitialized);
    QChar* out = shown.data();
    qsizetype column = 0;
    for (const QChar c : text) {
        if (c == u'\n') {
            column = 0;
        } else if (column++ == longest) {
            *out++ = u'\n'; // there is more to the line: go on on the next one
            column = 1;
        }
        *out++ = c;
    }
    shown.truncate(out - shown.constData());
    return shown;
}

TfrmDecode::TfrmDecode(const QString& settingsPath, QWidget* parent)
    : QWidget(parent), FSettingsPath(settingsPath) {
    setObjectName(QStringLiteral("frmDecode"));
    setWindowTitle(QStringLiteral("Velquist"));
    QFont formFont = font();
    formFont.setPointSize(kFontPoints);
    setFont(formFont);

    mmDie = new TInputArea(this);
    SetUpTextArea(*mmDie, "mmDie");
    // Hex input has no blanks to break at: breaking anywhere keeps a long message
    // quick to lay out, where looking for word ends would take quadratic time.
    mmDie->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mmDie->setWordWrapMode(QTextOption::WrapAnywhere);
    mmDie->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    mmDieDecoded = new QPlainTextEdit(this);
    SetUpTextArea(*mmDieDecoded, "mmDieDecoded");
    mmDieDecoded->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmDieDecoded->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // Below the splitter: the option bar, the output area taking all the height
    // there is, and the action bar at the bottom.
    auto* lower = new QWidget(this);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    lowerLayout->addWidget(CreateOptionPanel());
    lowerLayout->addWidget(mmDieDecoded, 1);
    lowerLayout->addWidget(CreateActionPanel());

    // Dragging the splitter changes the height of the input area; resizing the
    // window changes only the output area's.
    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(kSplitterHeight);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(mmDie);
    Splitter1->addWidget(lower);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({kInputHeight, kStartSize.height() - kInputHeight - kSplitterHeight});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter1);

    SetTabOrder();
    setMinimumSize(kMinimumSize);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kStartSize,
                                    screen()->availableGeometry()));
}

QWidget* TfrmDecode::CreateOptionPanel() {
    using enum TAnchorPanel::TAnchor;
    pnlOption = new TAnchorPanel(kStartSize.width(), kOptionPanelHeight, this);
    pnlOption->setObjectName(QStringLiteral("pnlOption"));
    pnlOption->setFrameShape(QFrame::NoFrame);

    btnPaste = AddButton(*pnlOption, "btnPaste", QStringLiteral("Paste From Clipboard"),
                         {4, 8, 127, 25}, Left);
    btnRemSpaces = AddButton(*pnlOption, "btnRemSpaces", QStringLiteral("Remove Space(s)"),
                             {136, 8, 99, 25}, Left);

    cbMode = new QComboBox(pnlOption);
    cbMode->setObjectName(QStringLiteral("cbMode"));
    for (const char* item : kModeItems) {
        cbMode->addItem(QString::fromLatin1(item));
    }
    cbMode->setCurrentIndex(0);
    pnlOption->Place(cbMode, {295, 11, 228, 21}, Right);

    btnDo = AddButton(*pnlOption, "btnDo", QStringLiteral("Decode"), {534, 8, 75, 25}, Right);

    connect(btnPaste, &QPushButton::clicked, this, &TfrmDecode::btnPasteClick);
    connect(btnRemSpaces, &QPushButton::clicked, this, &TfrmDecode::btnRemSpacesClick);
    connect(btnDo, &QPushButton::clicked, this, &TfrmDecode::btnDoClick);
    return pnlOption;
}

QWidget* TfrmDecode::CreateActionPanel() {
    pnlAct = new TAnchorPanel(kStartSize.width(), kActionPanelHeight, this);
    pnlAct->setObjectName(QStringLiteral("pnlAct"));
    pnlAct->setFrameStyle(QFrame::Panel | QFrame::Raised);

    btnAbout = AddButton(*pnlAct, "btnAbout", QStringLiteral("About"), {530, 12, 75, 21},
                         TAnchorPanel::TAnchor::Right);
    connect(btnAbout, &QPushButton::clicked, this, &TfrmDecode::btnAboutClick);
    return pnlAct;
}

// Tab goes from the input to the output area, to "About", and through the option
// bar from "Remove Space(s)" to the mode list.
void TfrmDecode::SetTabOrder() {
    const std::array<QWidget*, 7> order = {mmDie,    mmDieDecoded, btnAbout, btnRemSpaces,
                                           btnPaste, btnDo,        cbMode};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void TfrmDecode::SetAboutDialog(QDialog* dialog) {
    FAboutDialog = dialog;
}

QString TfrmDecode::InputText() const {
    QString text = mmDie->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

void TfrmDecode::btnPasteClick() {
    mmDie->clear();
    mmDie->paste();
}

void TfrmDecode::btnRemSpacesClick() {
    // UTF-8 holds the byte 0x20 nowhere but in the blank itself.
    mmDie->setPlainText(QString::fromStdString(RemoveSpaces(InputText().toStdString())));
}

void TfrmDecode::btnDoClick() {
    const QString text = InputText();
    if (text.isEmpty()) {
        return;
    }
    const TInputMode mode = InputModeFromIndex(cbMode->currentIndex());
    const TDecodeResult result = DecodeMessage(PrepareMessage(ToCp1252(text), mode));
    if (result.Ok) {
        mmDieDecoded->setPlainText(BreakLongLines(ShownCp1252(result.Text)));
    } else {
        AppendLine(*mmDieDecoded, QStringLiteral("Error: ") + ShownCp1252(result.Error));
    }
}

void TfrmDecode::btnAboutClick() {
    if (FAboutDialog) {
        FAboutDialog->exec();
    }
}

void TfrmDecode::FormShow() {
    const int mode = ReadLastMode(FSettingsPath);
    cbMode->setCurrentIndex(mode >= 0 && mode < cbMode->count() ? mode : -1);
}

void TfrmDecode::FormClose() {
    WriteLastMode(FSettingsPath, cbMode->currentIndex());
}

void TfrmDecode::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!FShown) {
        FShown = true; // a window restored from the task bar keeps the mode picked since
        FormShow();
    }
}

void TfrmDecode::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

} // namespace velquist::ui
