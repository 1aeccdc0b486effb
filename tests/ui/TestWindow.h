#pragma once

// The main window as the window's tests drive it: its settings file in a
// folder of its own, its controls found by name.

#include "FrmUtama.h"
#include "InputArea.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TWindow {
public:
    TWindow() : Form(SettingsPath()) {}
    explicit TWindow(const QString& settingsPath) : Form(settingsPath) {}

    QString SettingsPath() const { return Dir.filePath(QStringLiteral("velquist.ini")); }

    template <class T>
    T& Get(const char* name) {
        T* const child = Form.findChild<T*>(QString::fromLatin1(name));
        if (child == nullptr) {
            qFatal("the window has no %s", name);
        }
        return *child;
    }

    velquist::ui::TInputArea& Input() { return Get<velquist::ui::TInputArea>("mmDie"); }
    QPlainTextEdit& Output() { return Get<QPlainTextEdit>("mmDieDecoded"); }
    QComboBox& Mode() { return Get<QComboBox>("cbMode"); }

    // The input area's text, one "\n" for every line break, as typed.
    QString InputLines() { return Input().Text(); }

    void Decode(int mode, const QString& input) {
        Mode().setCurrentIndex(mode);
        Input().setPlainText(input);
        QTest::mouseClick(&Get<QPushButton>("btnDo"), Qt::LeftButton);
    }

    // Where a control sits in the window's client area.
    QRect PlaceOf(const char* name) {
        QWidget& control = Get<QWidget>(name);
        return {control.mapTo(&Form, QPoint(0, 0)), control.size()};
    }

    QTemporaryDir Dir;
    velquist::ui::TfrmDecode Form;
};
