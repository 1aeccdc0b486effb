#include "AnchorPanel.h"

#include <QResizeEvent>

namespace velquist::ui {

TAnchorPanel::TAnchorPanel(int designWidth, int height, QWidget* parent)
    : QFrame(parent), FDesignWidth(designWidth) {
    setFixedHeight(height);
    resize(designWidth, height);
}

void TAnchorPanel::Place(QWidget* control, const QRect& place, TAnchor anchor) {
    control->setParent(this);
    control->setGeometry(place);
    if (anchor == TAnchor::Right) {
        FRightAnchored.push_back({control, FDesignWidth - (place.x() + place.width())});
        FollowRightEdge(FRightAnchored.back());
    }
}

void TAnchorPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    for (const auto& anchored : FRightAnchored) {
        FollowRightEdge(anchored);
    }
}

void TAnchorPanel::FollowRightEdge(const TRightAnchored& anchored) const {
    if (anchored.Control) {
        QWidget& control = *anchored.Control;
        control.move(width() - anchored.RightGap - control.width(), control.y());
    }
}

} // namespace velquist::ui
