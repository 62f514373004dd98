// The message log list: rows tagged and coloured by direction, auto scroll on and off,
// selection by mouse and keys, and clearing.
#include <QScrollBar>
#include <QtTest>

#include "protocol/protocol_constants.h"
#include "ui/log_list_ctrl.h"

class LogListTest : public QObject {
    Q_OBJECT

private slots:
    void rowsTaggedAndColoured();
    void autoScrollSelectionAndClear();
};

void LogListTest::rowsTaggedAndColoured() {
    CLogListCtrl log;
    QCOMPARE(log.AddLogLine(LOG_SEND, "!VS", true), 1);
    QCOMPARE(log.AddLogLine(LOG_RECV, "!700", true), 1);
    QCOMPARE(log.AddLogLine(LOG_RECV, "", true), 0);
    QCOMPARE(log.AddLogLine(LOG_RECV, nullptr, true), 0);
    const QAbstractItemModel& model = log.Model();
    QCOMPARE(model.rowCount(), 2);
    const QString tags[] = {"[SEND]", "[RECV]"};
    const QString texts[] = {"!VS", "!700"};
    const QColor backgrounds[] = {QColor(0, 78, 152), QColor(77, 153, 0)};
    for (int row = 0; row < 2; ++row) {
        QCOMPARE(model.index(row, 0).data().toString(), tags[row]);
        QCOMPARE(model.index(row, 1).data().toString(), texts[row]);
        for (int column = 0; column < 2; ++column) {
            const QModelIndex cell = model.index(row, column);
            QCOMPARE(cell.data(Qt::BackgroundRole).value<QBrush>().color(), backgrounds[row]);
            QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(192, 192, 192));
        }
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
    QTest::keyClick(&log, Qt::Key_Up);
    QCOMPARE(log.SelectedRow(), 1);
    QTest::keyClick(&log, Qt::Key_End);
    QCOMPARE(log.SelectedRow(), 500);
    QCOMPARE(bar->value(), bar->maximum());

    log.ClearLog();
    QCOMPARE(log.Model().rowCount(), 0);
    QCOMPARE(log.SelectedRow(), -1);
    QTRY_COMPARE(bar->maximum(), 0);
    log.ClearLog();
}

QTEST_MAIN(LogListTest)
#include "tst_log_list.moc"
