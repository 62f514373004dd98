// The message log list: rows tagged and coloured by direction, auto scroll on and off,
// selection by mouse and keys, clearing, and its context menu on the main window (Copy takes
// the row clicked, Copy All every row, Save As writes them, a failed save says so once).
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "main_window_fixture.h"
#include "protocol/protocol_constants.h"
#include "ui/log_context_menu.h"

class LogListTest : public QObject {
    Q_OBJECT

private slots:
    void rowsTaggedAndColoured();
    void autoScrollSelectionAndClear();
    void longTextStaysInItsColumn();
    void contextMenuCopiesAndSaves();
};

void LogListTest::rowsTaggedAndColoured() {
    CLogListCtrl log;
    QCOMPARE(log.AddLogLine(LOG_SEND, "!VS", true), 1);
    QCOMPARE(log.AddLogLine(LOG_RECV, "!700", true), 1);
    QCOMPARE(log.AddLogLine(LOG_RECV, "", true), 0);
    QCOMPARE(log.AddLogLine(LOG_RECV, nullptr, true), 0);
    const QAbstractItemModel& model = log.Model();
    QCOMPARE(model.rowCount(), 2);
    const QString rows[] = {"[SEND] !VS #004e98", "[RECV] !700 #4d9900"};
    for (int row = 0; row < 2; ++row) {
        const QModelIndex tag = model.index(row, 0);
        QCOMPARE(tag.data().toString() + ' ' + model.index(row, 1).data().toString() + ' ' +
                     tag.data(Qt::BackgroundRole).value<QBrush>().color().name(),
                 rows[row]);
        QCOMPARE(tag.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(192, 192, 192));
    }
}

void LogListTest::autoScrollSelectionAndClear() {
    CLogListCtrl log;
    log.SetColumns(QStringLiteral("Log"));
    log.resize(370, 300);
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    QScrollBar* bar = log.verticalScrollBar();
    for (int n = 0; n < 500; ++n) {
        log.AddLogLine(n % 2, qPrintable(QString::number(n)), true);
    }
    QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
    QCOMPARE(bar->maximum() + log.viewport()->height(), 500 * log.RowHeight());

    // Without auto scroll the view stays where the operator left it.
    bar->setValue(0);
    log.AddLogLine(LOG_RECV, "late", false);
    QTRY_COMPARE(bar->maximum() + log.viewport()->height(), 501 * log.RowHeight());
    QCOMPARE(bar->value(), 0);

    const QPoint thirdRow(100, log.RowHeight() * 2 + log.RowHeight() / 2);
    QTest::mouseClick(log.viewport(), Qt::LeftButton, {}, thirdRow);
    QCOMPARE(log.SelectedRow(), 2);
    QTest::keyClick(&log, Qt::Key_End);
    QCOMPARE(log.SelectedRow(), 500);
    QCOMPARE(bar->value(), bar->maximum());

    log.ClearLog();
    QCOMPARE(log.Model().rowCount(), 0);
    QCOMPARE(log.SelectedRow(), -1);
    QTRY_COMPARE(bar->maximum(), 0);
}

// A row's text is drawn up to its column's edge: neither over the grid line nor into the blank
// space right of the columns. The tag and the text are both drawn.
void LogListTest::longTextStaysInItsColumn() {
    CLogListCtrl log;
    log.SetColumns(QStringLiteral("Log"));
    log.resize(500, 100);
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
    log.AddLogLine(LOG_RECV, QByteArray(200, 'M').constData(), true);
    log.LayOut();
    const QImage image = log.viewport()->grab().toImage();
    const int middle = log.RowHeight() / 2;
    const QColor background = LogModel::Background(LOG_RECV);
    const auto inked = [&](int from, int to) {
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < log.RowHeight() - 1; ++y) {
                if (image.pixelColor(x, y) != background) {
                    return true;
                }
            }
        }
        return false;
    };
    QVERIFY(inked(1, 58));
    QVERIFY(inked(60, 367));
    QCOMPARE(image.pixelColor(369, middle), QColor(128, 128, 128));
    QCOMPARE(image.pixelColor(380, middle), log.palette().base().color());
}

void LogListTest::contextMenuCopiesAndSaves() {
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

    path = folder.filePath(QStringLiteral("no such folder/log.txt"));
    rightClick(0, "Save As...");
    QCOMPARE(f.boxes.Texts(), QStringList(QStringLiteral("Cannot save the log to %1.").arg(path)));
}

QTEST_MAIN(LogListTest)
#include "tst_log_list.moc"
