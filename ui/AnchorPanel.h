#pragma once

// A panel whose controls sit at fixed places, as laid out for one panel width.
// Controls anchored to the right edge keep their distance to it when the panel
// is resized; the others stay where they were put.

#include <QFrame>
#include <QPointer>
#include <QRect>

#include <vector>

namespace velquist::ui {

class TAnchorPanel : public QFrame {
    Q_OBJECT

public:
    enum class TAnchor { Left, Right };

    // `designWidth` is the panel width the places of Place() are given for.
    TAnchorPanel(int designWidth, int height, QWidget* parent = nullptr);

    // Puts `control` (made a child of the panel) at `place`.
    void Place(QWidget* control, const QRect& place, TAnchor anchor);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct TRightAnchored {
        QPointer<QWidget> Control;
        int RightGap; // pixels between the control's right edge and the panel's
    };

    void FollowRightEdge(const TRightAnchored& anchored) const;

    const int FDesignWidth;
    std::vector<TRightAnchored> FRightAnchored;
};

} // namespace velquist::ui
