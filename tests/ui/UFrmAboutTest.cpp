// The About dialog: its texts, picture and the one button that closes it.

#include "UFrmAbout.h"
#include "TestMain.h"
#include "velquist/Version.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using velquist::ui::TfrmAbout;

namespace {

template <class T>
T& Get(QWidget& dialog, const char* name) {
    T* const child = dialog.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        qFatal("the dialog has no %s", name);
    }
    return *child;
}

} // namespace

class UFrmAboutTest : public QObject {
    Q_OBJECT

private slots:
    void textsAndLayout();
    void pictureFromResources();
    void dismissHasTheFocus();
    void keysPressDismiss_data();
    void keysPressDismiss();
    void closeBoxCancels();
};

void UFrmAboutTest::textsAndLayout() {
    TfrmAbout about;
    QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(about.windowTitle(), QStringLiteral("About Application"));
    QCOMPARE(about.size(), QSize(371, 179));
    QCOMPARE(about.minimumSize(), QSize(371, 179));
    QCOMPARE(about.maximumSize(), QSize(371, 179));
    QVERIFY(!about.isVisible());

    QCOMPARE(Get<QWidget>(about, "pnlAbout").geometry(), QRect(4, 4, 361, 137));
    QCOMPARE(Get<QWidget>(about, "iAbout").geometry(), QRect(8, 8, 120, 120));

    auto& text = Get<QPlainTextEdit>(about, "mmAbout");
    QCOMPARE(text.geometry(), QRect(136, 8, 217, 117));
    const QStringList lines = text.toPlainText().split(QLatin1Char('\n'));
    QVERIFY(lines.size() > 3);
    QCOMPARE(lines.mid(0, 3),
             (QStringList{QStringLiteral("Velquist"),
                          QStringLiteral("Version ") + QString::fromLatin1(velquist::kVersion),
                          QString()}));
    for (const QString& credit : lines.mid(3)) {
        QVERIFY(!credit.isEmpty());
    }

    auto& dismiss = Get<QPushButton>(about, "btnDismiss");
    QCOMPARE(dismiss.text(), QStringLiteral("OK"));
    QCOMPARE(dismiss.geometry(), QRect(288, 148, 75, 25));
    QCOMPARE(about.findChildren<QPushButton*>().size(), 1);
}

void UFrmAboutTest::pictureFromResources() {
    TfrmAbout about;
    const QPixmap picture = Get<QLabel>(about, "iAbout").pixmap();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), QSize(120, 120));
}

// OK is the only control that takes the focus, so Tab keeps it there. The
// dialog's focus is asked of the dialog itself: whether the window becomes the
// active one is up to the window manager (there may be none).
void UFrmAboutTest::dismissHasTheFocus() {
    TfrmAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    auto& dismiss = Get<QPushButton>(about, "btnDismiss");
    QCOMPARE(about.focusWidget(), &dismiss);
    QTest::keyClick(&dismiss, Qt::Key_Tab);
    QCOMPARE(about.focusWidget(), &dismiss);
    QTest::keyClick(&dismiss, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(about.focusWidget(), &dismiss);
}

void UFrmAboutTest::keysPressDismiss_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("byMouse");

    QTest::newRow("mouse") << 0 << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << false;
    QTest::newRow("space bar") << int(Qt::Key_Space) << false;
}

void UFrmAboutTest::keysPressDismiss() {
    QFETCH(int, key);
    QFETCH(bool, byMouse);

    TfrmAbout about;
    about.open();
    auto& dismiss = Get<QPushButton>(about, "btnDismiss");
    if (byMouse) {
        QTest::mouseClick(&dismiss, Qt::LeftButton);
    } else {
        QTest::keyClick(about.focusWidget(), Qt::Key(key)); // the dialog's focus: OK
    }
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void UFrmAboutTest::closeBoxCancels() {
    TfrmAbout about;
    about.open();
    QVERIFY(about.close());
    QCOMPARE(about.result(), int(QDialog::Rejected));
}

VELQUIST_UI_TEST_MAIN(UFrmAboutTest)
#include "UFrmAboutTest.moc"
