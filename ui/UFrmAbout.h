#pragma once

// The About dialog: the program's name, version and credits beside its picture.
// Created once, hidden, and shown modally on every press of "About".

#include <QDialog>

namespace velquist::ui {

class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

} // namespace velquist::ui
