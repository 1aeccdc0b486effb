// Running out of memory in the decode action outside the decoder itself: in the
// Windows-1252 conversion, the input preparation or the shown text. The window
// adds the line "Error: Out of memory", keeps what it showed, and works on.
//
// The global allocation functions are replaced by ones that can be told to fail
// every allocation of a given size or more. The library's strings and vectors
// allocate through them; Qt's own texts do not, so only the steps under test fail.

#include "FrmUtama.h"
#include "InputArea.h"
#include "ReplacedAllocation.h"
#include "TestMain.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>
#include <limits>
#include <new>

namespace {

// Allocations of this many bytes or more fail.
std::size_t gFailingSize = std::numeric_limits<std::size_t>::max();

void* Allocate(std::size_t size) {
    if (size >= gFailingSize) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

// Makes allocations of a mebibyte or more fail while it lives.
class TLargeAllocationsFail {
public:
    TLargeAllocationsFail() { gFailingSize = 1 << 20; }
    ~TLargeAllocationsFail() { gFailingSize = std::numeric_limits<std::size_t>::max(); }
    TLargeAllocationsFail(const TLargeAllocationsFail&) = delete;
    TLargeAllocationsFail& operator=(const TLargeAllocationsFail&) = delete;
};

} // namespace

void* AllocateBlock(std::size_t size) {
    return Allocate(size);
}
void FreeBlock(void* block) noexcept {
    std::free(block);
}
class DecodeOutOfMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void outOfMemoryIsAnErrorLine_data();
    void outOfMemoryIsAnErrorLine();
};

void DecodeOutOfMemoryTest::outOfMemoryIsAnErrorLine_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("input");

    // 3 Mi characters become 3 MiB of message bytes.
    QTest::newRow("Windows-1252 conversion") << 2 << QString(3 << 20, u'A');
    // 100,000 short lines are a list of 1.6 MB before any hex is read.
    QTest::newRow("input preparation") << 1 << QStringLiteral("x\n").repeated(100000);
    // 60,000 control bytes in a field shown in its header: 60,000 marks.
    QTest::newRow("shown text") << 0
                                << (QStringLiteral("311C") + QStringLiteral("01").repeated(60000) +
                                    QStringLiteral("1C3030321C31"));
}

void DecodeOutOfMemoryTest::outOfMemoryIsAnErrorLine() {
    QFETCH(int, mode);
    QFETCH(QString, input);

    QTemporaryDir dir;
    velquist::ui::TfrmDecode window({dir.filePath(QStringLiteral("velquist.ini")),
                                     dir.filePath(QStringLiteral("user/velquist.ini"))});
    auto& output = *window.findChild<QPlainTextEdit*>(QStringLiteral("mmDieDecoded"));
    auto& decode = *window.findChild<QPushButton*>(QStringLiteral("btnDo"));
    auto& modes = *window.findChild<QComboBox*>(QStringLiteral("cbMode"));
    auto& inputArea = *window.findChild<velquist::ui::TInputArea*>(QStringLiteral("mmDie"));
    output.setPlainText(QStringLiteral("earlier text"));

    modes.setCurrentIndex(mode);
    inputArea.selectAll();
    inputArea.Paste(input);
    {
        const TLargeAllocationsFail failing;
        QTest::mouseClick(&decode, Qt::LeftButton);
    }
    QCOMPARE(output.toPlainText(), QStringLiteral("earlier text\nError: Out of memory"));

    // With memory again, the same input decodes (the short trace lines to an
    // empty message, which is an error of its own).
    QTest::mouseClick(&decode, Qt::LeftButton);
    QVERIFY(!output.toPlainText().endsWith(QStringLiteral("Out of memory")));
}

VELQUIST_UI_TEST_MAIN(DecodeOutOfMemoryTest)
#include "DecodeOutOfMemoryTest.moc"
