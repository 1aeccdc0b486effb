#include "FrmUtama.h"

#include "AnchorPanel.h"
#include "Cp1252.h"
#include "Highlight.h"
#include "IniFile.h"
#include "InputArea.h"
#include "ShownText.h"
#include "TextPlaces.h"
#include "TraceWindow.h"
#include "velquist/InputPrep.h"
#include "velquist/IntFromText.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>
#include <utility>

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

// Where the input mode is kept in the settings file.
constexpr QStringView kSettingsSection = u"Settings";
constexpr QStringView kLastModeKey = u"LastMode";

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

// Adds `line` as the new last line of the area, below everything it shows, in
// the area's plain format, and scrolls it into view.
void AppendLine(QPlainTextEdit& area, const QString& line) {
    QTextCursor cursor(area.document());
    cursor.movePosition(QTextCursor::End);
    if (!cursor.block().text().isEmpty()) {
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }
    cursor.insertText(line, QTextCharFormat());
    area.setTextCursor(cursor);
    area.ensureCursorVisible();
}

// Whether a file can be written at `path`: the file, or else its folder.
bool CanWrite(const QString& path) {
    const QFileInfo file(path);
    if (file.exists()) {
        return file.isFile() && file.isWritable();
    }
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() && folder.isWritable();
}

// "LastMode" as stored, from the file it is saved to or else the other; 0 when
// it is missing or not a number.
int ReadLastMode(const TSettingsFiles& files) {
    const bool beside = CanWrite(files.Beside);
    for (const QString& path :
         {beside ? files.Beside : files.User, beside ? files.User : files.Beside}) {
        if (const auto value = ReadIniValue(path, kSettingsSection, kLastModeKey)) {
            return IntFromText(value->toStdString(), 0);
        }
    }
    return 0;
}

// Errors (no folder that can be written, ...) leave the files as they were.
void WriteLastMode(const TSettingsFiles& files, int mode) {
    const QString value = QString::number(mode);
    if (CanWrite(files.Beside) &&
        WriteIniValue(files.Beside, kSettingsSection, kLastModeKey, value)) {
        return;
    }
    QDir().mkpath(QFileInfo(files.User).absolutePath());
    WriteIniValue(files.User, kSettingsSection, kLastModeKey, value);
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

TSettingsFiles SettingsFilesFor(const QString& executablePath, const QString& userFolder) {
    const QString beside = SettingsPathFor(executablePath);
    return {beside, QDir(userFolder).filePath(QFileInfo(beside).fileName())};
}

TfrmDecode::TfrmDecode(TSettingsFiles settings, QWidget* parent)
    : QWidget(parent), FSettings(std::move(settings)) {
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

    FLinks = std::make_unique<TDecodeLinks>(*mmDie, *mmDieDecoded);

    SetTabOrder();
    setAcceptDrops(true); // a trace file dropped here opens in a trace window
    mmDie->viewport()->installEventFilter(this);
    mmDieDecoded->viewport()->installEventFilter(this);
    setMinimumSize(kMinimumSize);
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kStartSize,
                                    screen()->availableGeometry()));
}

TfrmDecode::~TfrmDecode() = default;

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
    btnDo->setToolTip(QStringLiteral("Decode (Ctrl+Return)"));

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

// The clipboard's text replaces the input, as one step to undo; a clipboard
// without text (or without any data, as when nobody owns it) leaves the input
// empty.
void TfrmDecode::btnPasteClick() {
    mmDie->selectAll();
    mmDie->Paste(QGuiApplication::clipboard()->text());
}

void TfrmDecode::btnRemSpacesClick() {
    // Every blank goes, and nothing else: tabs, line breaks, no-break spaces
    // stay. A text without blanks stays as it is, with its highlight.
    const QString& text = mmDie->Text();
    if (!text.contains(u' ')) {
        return;
    }
    const std::u16string cleaned = RemoveSpaces(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())));
    mmDie->selectAll();
    mmDie->Paste(QString::fromUtf16(cleaned.data(), static_cast<qsizetype>(cleaned.size())));
}

void TfrmDecode::btnDoClick() {
    // The decoder reports running out of memory itself; the conversions and the
    // shown text around it can run out too, and no exception may leave a slot.
    try {
        Decode();
    } catch (const std::bad_alloc&) {
        AppendLine(*mmDieDecoded, QStringLiteral("Error: Out of memory"));
    } catch (const std::length_error&) {
        AppendLine(*mmDieDecoded, QStringLiteral("Error: Out of memory"));
    }
}

void TfrmDecode::Decode() {
    const QString lines = mmDie->Text();
    if (lines.isEmpty()) {
        return;
    }
    FLinks->Untie();
    const TInputOptions input{.Mode = InputModeFromIndex(cbMode->currentIndex()), .WithMap = true};
    std::optional<TDecodedInput> decoded = DecodeInput(ToCp1252(lines), input, {.Structure = true});
    if (!decoded) {
        return;
    }
    const TDecodeResult& result = decoded->Decoded;
    if (result.Ok) {
        const std::vector<std::size_t> bounds = TShownLines::LineBounds(result.Lines);
        const TShownText shown = ShowBytes(result.Text, kLongestShownLine, bounds);
        ShowText(*mmDieDecoded, shown);
        FLinks->Tie(std::move(decoded->Map), TShownLines(result.Lines, shown.Places));
    } else {
        AppendLine(*mmDieDecoded, QStringLiteral("Error: ") + ShowBytes(result.Error).Text);
    }
}

void TfrmDecode::btnAboutClick() {
    if (FAboutDialog) {
        FAboutDialog->exec();
    }
}

void TfrmDecode::FormShow() {
    const int mode = ReadLastMode(FSettings);
    cbMode->setCurrentIndex(mode >= 0 && mode < cbMode->count() ? mode : -1);
}

void TfrmDecode::FormClose() {
    WriteLastMode(FSettings, cbMode->currentIndex());
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

void TfrmDecode::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        btnDoClick();
        return;
    }
    if (event->matches(QKeySequence::Open)) {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open a Trace"));
        if (!path.isEmpty()) {
            emit TraceChosen(path);
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

// A drag of files from a file manager opens them; a drag of text goes to the
// input area.
void TfrmDecode::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TfrmDecode::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TfrmDecode::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) {
        return;
    }
    for (const QString& path : files) {
        emit TraceChosen(path);
    }
    event->acceptProposedAction();
}

// The text areas take drops of text; files dropped on them go to the window.
bool TfrmDecode::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (DroppedFiles(drop->mimeData()).isEmpty()) {
            break;
        }
        if (event->type() == QEvent::Drop) {
            dropEvent(drop);
        } else {
            drop->acceptProposedAction();
        }
        return true;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velquist::ui
