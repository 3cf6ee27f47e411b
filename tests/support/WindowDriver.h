#pragma once

// Drives a main window the way a user does, reaching its controls by their
// object names only: window tests written this way do not depend on how the
// window keeps its members.

#include "platform/MessageBoxA.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/QtMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ferrolux::test {

template <typename T>
T* named(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Types the request into the window and presses Search; waits for the end
// when a search started (finished is the window's signal of an ended search).
// False when no search started (the request was refused) or it did not end
// in time.
template <typename Window, typename Signal>
bool searchFolder(Window& window, Signal finished, const std::string& folder, const QString& text,
                  const QString& specs = QStringLiteral("*.*")) {
    if (!named<DirectoryListBox>(window, "Dir1")->setDirectory(folder)) return false;
    named<QComboBox>(window, "cboSearch")->setEditText(text);
    named<QLineEdit>(window, "txtFilespec")->setText(specs);
    QSignalSpy ended(&window, finished);
    named<QAbstractButton>(window, "cmdSearch")->click();
    if (ended.count() > 0) return true;
    // A refused request starts nothing: Stop stays hidden.
    if (named<QWidget>(window, "cmdStop")->isHidden()) return false;
    return ended.wait(30000);
}

// While it lives, message boxes are real modal boxes, read for a few turns of their event loop (as
// a user would take a moment) and then answered with their default button.
class AnsweredBoxes {
public:
    struct Box {
        QString text;
        QString caption;
        QSize size; // as it was shown
    };

    AnsweredBoxes();
    ~AnsweredBoxes();
    AnsweredBoxes(const AnsweredBoxes&) = delete;
    AnsweredBoxes& operator=(const AnsweredBoxes&) = delete;

    const std::vector<Box>& answered() const { return answered_; }

private:
    MessageBoxHandler previous_;
    QTimer reader_;
    int turnsSeen_ = 0;
    std::vector<Box> answered_;
};

inline AnsweredBoxes::AnsweredBoxes() {
    previous_ = setMessageBoxHandler(nullptr);
    installQtMessageBoxes();
    QObject::connect(&reader_, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            turnsSeen_ = 0;
            return;
        }
        if (++turnsSeen_ < 5) return;
        turnsSeen_ = 0;
        answered_.push_back({box->text(), box->windowTitle(), box->size()});
        QAbstractButton* answer = box->defaultButton();
        if (!answer) answer = box->buttons().value(0);
        if (answer) answer->click();
    });
    reader_.start(10);
}

inline AnsweredBoxes::~AnsweredBoxes() {
    reader_.stop();
    setMessageBoxHandler(std::move(previous_));
}

} // namespace ferrolux::test
