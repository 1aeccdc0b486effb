#include "UFrmAbout.h"

#include "velquist/Version.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace velquist::ui {

namespace {

constexpr QSize kClientSize(371, 179);
constexpr int kFontPoints = 8;

QString AboutText() {
    return QStringList{
        QStringLiteral("Velquist"),
        QStringLiteral("Version ") + QString::fromLatin1(kVersion),
        QString(),
        QStringLiteral("Decodes Diebold 911/912 terminal"),
        QStringLiteral("protocol messages for ATM support."),
        QStringLiteral("Built with Qt 6 Widgets."),
    }
        .join(QLatin1Char('\n'));
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Application"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientSize);
    QFont formFont = font();
    formFont.setPointSize(kFontPoints);
    setFont(formFont);

    auto* pnlAbout = new QFrame(this);
    pnlAbout->setObjectName(QStringLiteral("pnlAbout"));
    pnlAbout->setFrameStyle(QFrame::Box | QFrame::Sunken); // an etched edge
    pnlAbout->setGeometry(4, 4, 361, 137);

    auto* iAbout = new QLabel(pnlAbout);
    iAbout->setObjectName(QStringLiteral("iAbout"));
    iAbout->setGeometry(8, 8, 120, 120);
    iAbout->setPixmap(QPixmap(QStringLiteral(":/velquist/about.gif")));

    // Read-only text in the dialog's own colour, reading as plain text.
    auto* mmAbout = new QPlainTextEdit(pnlAbout);
    mmAbout->setObjectName(QStringLiteral("mmAbout"));
    mmAbout->setGeometry(136, 8, 217, 117);
    mmAbout->setReadOnly(true);
    mmAbout->setFrameShape(QFrame::NoFrame);
    mmAbout->setFocusPolicy(Qt::NoFocus);
    mmAbout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mmAbout->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = mmAbout->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    mmAbout->setPalette(palette);
    mmAbout->setPlainText(AboutText());

    auto* btnDismiss = new QPushButton(QStringLiteral("OK"), this);
    btnDismiss->setObjectName(QStringLiteral("btnDismiss"));
    btnDismiss->setGeometry(288, 148, 75, 25);
    btnDismiss->setDefault(true);
    btnDismiss->setFocus();
    connect(btnDismiss, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace velquist::ui
