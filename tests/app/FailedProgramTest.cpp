#include "TempDir.h"
#include "WindowDriver.h"
#include "app/TfrmMain.h"
#include "platform/registry/Registry.h"
#include "results/FileListView.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ferrolux {
namespace {

// An editor or opener that fails reports it in a box; answering the box
// leaves the window and its results as they were.
class FailedProgram : public ::testing::Test {
protected:
    test::TempDir store;
    test::TempDir tree;
    test::TempDir bin;
    QByteArray path = qgetenv("PATH");
    std::unique_ptr<TfrmMain> window;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        RegistryKey key;
        ASSERT_TRUE(key.create(RegistryStore::standard(), settingsKeyPath()));
        ASSERT_TRUE(key.writeString(QStringLiteral("Editor"), QStringLiteral("/bin/false")));
        key.close();
        // The desktop's opener knows an application for every type and fails.
        for (const auto& [name, body] :
             {std::pair{"xdg-mime", "echo editor.desktop\n"}, std::pair{"xdg-open", "exit 4\n"}}) {
            const std::string program = bin.write(name, std::string("#!/bin/sh\n") + body);
            ::chmod(program.c_str(), 0755);
        }
        qputenv("PATH", QByteArray::fromStdString(bin.path()) + ":" + path);
        window = std::make_unique<TfrmMain>();
        window->show();
        tree.write("notes.txt", "a needle here\n");
        ASSERT_TRUE(test::searchFolder(*window, &TfrmMain::searchFinished, tree.path(),
                                       QStringLiteral("needle")));
    }
    void TearDown() override { qputenv("PATH", path); }

    // Runs the action on the listed file; the text of the box it led to.
    QString failureAfter(const char* action) {
        test::AnsweredBoxes boxes;
        test::named<QAction>(*window, action)->trigger();
        if (!QTest::qWaitFor([&] { return !boxes.answered().empty(); }, 10000)) return {};
        QCoreApplication::processEvents(); // deferred deletions of the watch
        EXPECT_EQ(boxes.answered().size(), 1u);
        return boxes.answered().front().text;
    }
};

TEST_F(FailedProgram, TheWindowOutlivesTheAnsweredBoxOfEachFailure) {
    const FileListView* files = test::named<FileListView>(*window, "lstFiles1");
    ASSERT_EQ(files->count(), 1);
    const QString notes = QString::fromStdString(tree.path()) + QStringLiteral("notes.txt");
    const struct {
        const char* action;
        QString told;
    } failures[] = {
        {"Edit1", QStringLiteral("Unable to edit file - the editor failed.\n\nCommand: "
                                 "/bin/false ") +
                      notes + QStringLiteral("\nIt ended with exit status 1.")},
        {"Open1", QStringLiteral("Unable to open file - the desktop's opener failed.\n\n"
                                 "Command: xdg-open ") +
                      notes + QStringLiteral("\nIt ended with exit status 4.")},
    };
    for (const auto& failure : failures) {
        EXPECT_EQ(failureAfter(failure.action), failure.told) << failure.action;
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(files->count(), 1) << failure.action;
    }
}

} // namespace
} // namespace ferrolux
