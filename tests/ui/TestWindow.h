#pragma once

// The main window as the window's tests drive it: its settings files in a
// folder of its own, its controls found by name, its input set as a paste sets
// it.

#include "FrmUtama.h"
#include "InputArea.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// Puts the area's caret at `position`, selecting from `anchor` when one is given.
inline void PutCaret(QPlainTextEdit& area, int position, int anchor = -1) {
    QTextCursor cursor(area.document());
    cursor.setPosition(anchor < 0 ? position : anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    area.setTextCursor(cursor);
}

// The child of `parent` called `name`; a test that asks for a control the
// window lacks stops there.
template <class T>
T& NamedChild(const QObject& parent, const char* name) {
    T* const child = parent.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        qFatal("%s has no %s", parent.metaObject()->className(), name);
    }
    return *child;
}

class TWindow {
public:
    TWindow() : Form(Settings()) {}
    explicit TWindow(const velquist::ui::TSettingsFiles& settings) : Form(settings) {}

    velquist::ui::TSettingsFiles Settings() const {
        return {Dir.filePath(QStringLiteral("velquist.ini")),
                Dir.filePath(QStringLiteral("user/velquist.ini"))};
    }

    template <class T>
    T& Get(const char* name) {
        return NamedChild<T>(Form, name);
    }

    velquist::ui::TInputArea& Input() { return Get<velquist::ui::TInputArea>("mmDie"); }
    QPlainTextEdit& Output() { return Get<QPlainTextEdit>("mmDieDecoded"); }
    QComboBox& Mode() { return Get<QComboBox>("cbMode"); }

    // The input area's text, one "\n" for every line break, as typed.
    QString InputLines() { return Input().Text(); }

    // Replaces the input with `text` as pasting over all of it does.
    void SetInput(const QString& text) {
        Input().selectAll();
        Input().Paste(text);
    }

    void Press(const char* button) { QTest::mouseClick(&Get<QPushButton>(button), Qt::LeftButton); }

    void Decode(int mode, const QString& input) {
        Mode().setCurrentIndex(mode);
        SetInput(input);
        Press("btnDo");
    }

    // Where a control sits in the window's client area.
    QRect PlaceOf(const char* name) {
        QWidget& control = Get<QWidget>(name);
        return {control.mapTo(&Form, QPoint(0, 0)), control.size()};
    }

    QTemporaryDir Dir;
    velquist::ui::TfrmDecode Form;
};
