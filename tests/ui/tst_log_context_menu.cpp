// The log's context menu, opened by a right-click on a row of the main window's log: Copy
// takes that row, Copy All every row, Save As writes them to a file, a failed save says so
// once.
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "main_window_fixture.h"
#include "protocol/protocol_constants.h"
#include "ui/log_context_menu.h"

class LogContextMenuTest : public QObject {
    Q_OBJECT

private slots:
    void copyCopyAllAndSave();
};

void LogContextMenuTest::copyCopyAllAndSave() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    auto* menu = window.LogList().findChild<LogContextMenu*>();
    QVERIFY(menu != nullptr && f.Show());
    QStringList offered;
    QString pick;
    menu->runMenu = [&](QMenu& shown, const QPoint&) -> QAction* {
        offered.clear();
        QAction* chosen = nullptr;
        for (QAction* action : shown.actions()) {
            offered << (action->isEnabled() ? action->text() : "-");
            chosen = action->text() == pick ? action : chosen;
        }
        return chosen;
    };
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("log.txt"));
    menu->chooseFile = [&](QWidget*, const QString&) { return path; };
    menu->runModal = f.boxes.Runner();
    window.AddLogLine(LOG_SEND, "!VS");
    window.AddLogLine(LOG_RECV, "!SC \xEC\x9D\xB4\xEB\xA6\x84");
    CLogListCtrl& log = window.LogList();
    const auto rightClick = [&](int row, const char* entry) {
        pick = QString::fromLatin1(entry);
        const QPoint cell(100, row * log.RowHeight() + log.RowHeight() / 2);
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {},
                          log.viewport()->mapTo(&window, cell));
    };

    rightClick(1, "Copy");
    QCOMPARE(offered, (QStringList{"Copy", "Copy All", "", "Save As..."}));
    const QString all = QString::fromUtf8("[SEND]\t!VS\n[RECV]\t!SC \xEC\x9D\xB4\xEB\xA6\x84");
    QCOMPARE(QGuiApplication::clipboard()->text(), all.section('\n', 1));
    rightClick(0, "Copy All");
    QCOMPARE(QGuiApplication::clipboard()->text(), all);
    rightClick(0, "Save As...");
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), (all + '\n').toUtf8());
    QCOMPARE(f.boxes.Count(), 0);

    path = folder.filePath(QStringLiteral("no such folder/log.txt"));
    rightClick(0, "Save As...");
    QCOMPARE(f.boxes.Texts(), QStringList(QStringLiteral("Cannot save the log to %1.").arg(path)));
}

QTEST_MAIN(LogContextMenuTest)
#include "tst_log_context_menu.moc"
