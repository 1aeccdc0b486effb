#pragma once

// The lower half of the trace window: the decoded text of the selected message
// beside the trace lines it was read from, tied as the main window ties its two
// areas: the caret on a decoded line highlights the characters in the trace
// lines that wrote its bytes, the caret on a trace character highlights the
// decoded lines that show its byte. Context lines around the message are drawn
// dimmer.

#include "Highlight.h"
#include "ShownText.h"
#include "velquist/TraceIndex.h"

#include <QSplitter>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace velquist::ui {

// The trace lines around a message as the trace window shows them, and where
// each of the message's bytes stands in them.
struct TTraceLines {
    TShownText Shown;     // the lines, control bytes as marks
    TPositionRun Message; // the message's own lines; the others are context
    std::unique_ptr<TSourcePlaces> Places;
};

// The lines message i stands on, with `context` lines before and after, at
// most `longest` bytes of trace (a larger message is cut there); with `mask`
// its card data masked as velquist-decode --redact masks it. `read` is the
// message read with its places.
TTraceLines ShowTraceLines(const TTraceIndex& index, std::size_t i, TTraceMessage read, bool mask,
                           std::size_t context = 2, std::size_t longest = std::size_t{8} << 20);

class TTraceDetails : public QSplitter {
    Q_OBJECT

public:
    explicit TTraceDetails(QWidget* parent = nullptr);
    ~TTraceDetails() override;

    // Shows message i of `index` (locked by the caller).
    void Show(const TTraceIndex& index, std::size_t i, bool mask);
    void Clear();

    QPlainTextEdit& Decoded() const { return *FDecoded; }
    QPlainTextEdit& Lines() const { return *FLines; }

private:
    QPlainTextEdit* FDecoded = nullptr;
    QPlainTextEdit* FLines = nullptr;
    std::unique_ptr<TAreaLinks> FLinks; // destroyed before the areas it watches
};

} // namespace velquist::ui
