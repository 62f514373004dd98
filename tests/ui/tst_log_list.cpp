// The message log: rows, tags, colours, auto scroll, clearing, and the window's exchange after
// each logged line.
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>
#include <cstring>

#include "main_window_fixture.h"
#include "protocol/protocol_constants.h"
#include "ui/log_list_ctrl.h"

namespace {

QString Cell(const CLogListCtrl& log, int row, int column, int role = Qt::DisplayRole) {
    const QAbstractItemModel& model = log.Model();
    return model.data(model.index(row, column), role).toString();
}

QColor CellColour(const CLogListCtrl& log, int row, int column, int role) {
    const QAbstractItemModel& model = log.Model();
    return model.data(model.index(row, column), role).value<QBrush>().color();
}

// A log list of the window's size, shown so that scrolling is real.
struct ShownLog {
    ShownLog() {
        log.resize(378, 460);
        log.SetColumns(QStringLiteral("Log"));
        log.show();
    }
    // Top and bottom edge of the row inside the viewport (the text column is wider than
    // the view, so only the vertical extent counts).
    bool RowWhollyVisible(int row) const {
        const QRect rect = log.visualRect(log.Model().index(row, 0));
        return rect.isValid() && rect.top() >= 0 && rect.bottom() < log.viewport()->height();
    }
    CLogListCtrl log;
};

}  // namespace

class LogListTest : public QObject {
    Q_OBJECT

private slots:
    void addsRowsWithTagsAndText();
    void coloursRowsByDirection();
    void autoScrollOnAndOff();
    void clearEmptiesAndEmptyClearIsSilent();
    void windowExchangesOnlyAfterAddedLine();
};

void LogListTest::addsRowsWithTagsAndText() {
    CLogListCtrl log;
    log.SetColumns(QStringLiteral("로그"));
    const QAbstractItemModel& model = log.Model();
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("    "));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("로그"));
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignCenter));
    QCOMPARE(log.columnWidth(0), 60);
    QCOMPARE(log.columnWidth(1), 310);
    QVERIFY(log.verticalHeader()->isHidden());

    // No row for an absent or empty text.
    QCOMPARE(log.AddLogLine(LOG_RECV, nullptr, true), 0);
    QCOMPARE(log.AddLogLine(LOG_SEND, "", true), 0);
    QCOMPARE(model.rowCount(), 0);
    char buffer[32];
    std::strcpy(buffer, "!VS");
    QCOMPARE(log.AddLogLine(LOG_SEND, buffer, true), 1);
    // The log keeps its own copy: the caller's buffer is reused at once.
    std::strcpy(buffer, "!PA 10.1.0.1");
    QCOMPARE(log.AddLogLine(LOG_RECV, buffer, true), 1);
    std::strcpy(buffer, "XXXX");
    QCOMPARE(log.AddLogLine(LOG_RECV, "\xEC\x9D\xB4\xEB\xA6\x84 \x01", false), 1);

    QCOMPARE(log.AddLogLine(LOG_RECV, "", true), 0);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(Cell(log, 0, 0), QStringLiteral("[SEND]"));
    QCOMPARE(Cell(log, 0, 1), QStringLiteral("!VS"));
    QCOMPARE(Cell(log, 1, 0), QStringLiteral("[RECV]"));
    QCOMPARE(Cell(log, 1, 1), QStringLiteral("!PA 10.1.0.1"));
    QCOMPARE(Cell(log, 2, 1), QStringLiteral("이름 \x01"));
    QCOMPARE(model.data(model.index(0, 0), Qt::UserRole).toInt(), LOG_SEND);
    QCOMPARE(model.data(model.index(1, 1), Qt::UserRole).toInt(), LOG_RECV);
}

void LogListTest::coloursRowsByDirection() {
    CLogListCtrl log;
    QVERIFY(log.AddLogLine(LOG_RECV, "!700", true));
    QVERIFY(log.AddLogLine(LOG_SEND, "!VS", true));
    for (int column = 0; column < 2; ++column) {
        QCOMPARE(CellColour(log, 0, column, Qt::ForegroundRole), QColor(192, 192, 192));
        QCOMPARE(CellColour(log, 0, column, Qt::BackgroundRole), QColor(77, 153, 0));
        QCOMPARE(CellColour(log, 1, column, Qt::ForegroundRole), QColor(192, 192, 192));
        QCOMPARE(CellColour(log, 1, column, Qt::BackgroundRole), QColor(0, 78, 152));
    }

    // What is painted, not only what the model says: the middle of the text cell of a row.
    ShownLog shown;
    QVERIFY(shown.log.AddLogLine(LOG_RECV, "!700", true));
    QVERIFY(shown.log.AddLogLine(LOG_SEND, "!VS", true));
    QVERIFY(QTest::qWaitForWindowExposed(&shown.log));
    const QImage image = shown.log.viewport()->grab().toImage();
    for (int row = 0; row < 2; ++row) {
        const QRect cell = shown.log.visualRect(shown.log.Model().index(row, 1));
        const QColor expected = row == 0 ? QColor(77, 153, 0) : QColor(0, 78, 152);
        QCOMPARE(image.pixelColor(cell.left() + 150, cell.center().y()), expected);
    }
}

// With auto scroll every new row is scrolled into view; without it the view stays where the
// operator left it.
void LogListTest::autoScrollOnAndOff() {
    ShownLog shown;
    QVERIFY(QTest::qWaitForWindowExposed(&shown.log));
    for (int i = 0; i < 200; ++i) {
        const QByteArray line = "!PA 10.1.0." + QByteArray::number(i);
        QVERIFY(shown.log.AddLogLine(i % 2, line.constData(), true));
        if (i % 50 == 0 || i > 190) {
            QVERIFY2(shown.RowWhollyVisible(i), qPrintable(QString::number(i)));
        }
    }
    QVERIFY(!shown.RowWhollyVisible(0));
    QScrollBar* bar = shown.log.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int where = bar->value();
    QVERIFY(where > 0);
    for (int i = 0; i < 100; ++i) {
        QVERIFY(shown.log.AddLogLine(LOG_SEND, "!VS", false));
    }
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), where);
    QVERIFY(!shown.RowWhollyVisible(299));
    QCOMPARE(shown.log.Model().rowCount(), 300);
}

void LogListTest::clearEmptiesAndEmptyClearIsSilent() {
    ShownLog shown;
    shown.log.ClearLog();
    QCOMPARE(shown.log.Model().rowCount(), 0);
    for (int i = 0; i < 50; ++i) {
        QVERIFY(shown.log.AddLogLine(LOG_RECV, "!SC QBX01", true));
    }
    shown.log.ClearLog();
    QCOMPARE(shown.log.Model().rowCount(), 0);
    QTRY_COMPARE(shown.log.verticalScrollBar()->value(), 0);
    // After a clear the first line is row 0 again.
    QVERIFY(shown.log.AddLogLine(LOG_SEND, "!E0", true));
    QCOMPARE(Cell(shown.log, 0, 1), QStringLiteral("!E0"));
    QCOMPARE(Cell(shown.log, 0, 0), QStringLiteral("[SEND]"));
}

void LogListTest::windowExchangesOnlyAfterAddedLine() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    auto* hostPort = f.Control<QLineEdit>(1004);
    // Typed but not taken over: an empty received line leaves the typing alone.
    hostPort->setText(QStringLiteral("9999"));
    QCOMPARE(window.AddLogLine(LOG_RECV, ""), 0);
    QCOMPARE(window.AddLogLine(LOG_RECV, nullptr), 0);
    QCOMPARE(hostPort->text(), QStringLiteral("9999"));
    QCOMPARE(window.LogList().Model().rowCount(), 0);

    // A logged line shows the fields again, including a value a listing stored.
    window.Texts().deviceIdText = "QBX01";
    QCOMPARE(window.AddLogLine(LOG_RECV, "!SC QBX01"), 1);
    QCOMPARE(hostPort->text(), QStringLiteral("1470"));
    QCOMPARE(f.Control<QLineEdit>(1033)->text(), QStringLiteral("QBX01"));
    QCOMPARE(window.LogList().Model().rowCount(), 1);
    QCOMPARE(f.boxes.Count(), 0);
}

QTEST_MAIN(LogListTest)
#include "tst_log_list.moc"
