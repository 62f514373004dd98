// The message log list: rows tagged and coloured by direction, what an accessibility client
// reads, what the screen shows after a clear, Hangul in the view and in Save As, the keys, auto
// scroll, rows fitted to the font, the bound on its length, and its context menu on the main
// window (Copy takes the row clicked, Copy All every row, Save As writes them, a failed save
// says so once).
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "main_window_fixture.h"
#include "protocol/protocol_constants.h"
#include "ui/log_context_menu.h"

namespace {

// The log as an accessibility client reads it: its rows' cells, "tag|text" each.
QStringList AccessibleRows(CLogListCtrl& log) {
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&log);
    QAccessibleTableInterface* table = view->tableInterface();
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        rows << table->cellAt(row, 0)->text(QAccessible::Name) + '|' +
                    table->cellAt(row, 1)->text(QAccessible::Name);
    }
    return rows;
}

// What the screen shows of a top-level log, as painted.
QImage OnScreen(CLogListCtrl& log) {
    return log.screen()->grabWindow(log.winId()).toImage();
}

void ShowLog(CLogListCtrl& log) {
    log.SetColumns(QStringLiteral("Log"));
    log.resize(400, 300);
    log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&log));
}

}  // namespace

class LogListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rowsTaggedAndColoured();
    void accessibleTable();
    void clearThenNewRowsOnScreen();
    void hangul_data();
    void hangul();
    void keysMoveTheSelection_data();
    void keysMoveTheSelection();
    void ctrlCCopiesTheSelectedRow();
    void autoScroll();
    void rowsFollowTheFont();
    void oldestRowsDroppedPastTheBound();
    void contextMenuCopiesAndSaves();
};

// As when a screen reader runs: the views keep their accessible tables up to date.
void LogListTest::initTestCase() {
    QAccessible::setActive(true);
}

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
        for (int column = 0; column < 2; ++column) {
            const QModelIndex cell = model.index(row, column);
            QCOMPARE(cell.data(Qt::BackgroundRole).value<QBrush>().color().name(),
                     rows[row].section(' ', 2));
            QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(192, 192, 192));
        }
        QCOMPARE(
            model.index(row, 0).data().toString() + ' ' + model.index(row, 1).data().toString(),
            rows[row].section(' ', 0, 1));
    }
}

// A client finds a table with a header, whose cells read the tag and the text of each row in
// order, and whose row count follows appends and clears.
void LogListTest::accessibleTable() {
    CLogListCtrl log;
    ShowLog(log);
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&log);
    QVERIFY(view != nullptr && view->tableInterface() != nullptr);
    QCOMPARE(view->role(), QAccessible::Table);
    QAccessibleTableInterface* table = view->tableInterface();
    QCOMPARE(table->columnDescription(1), QStringLiteral("Log"));

    log.AddLogLine(LOG_SEND, "!VS", true);
    log.AddLogLine(LOG_RECV, "!PA 10.1.0.1", true);
    QTRY_COMPARE(table->rowCount(), 2);
    QCOMPARE(table->rowDescription(1), QStringLiteral("2"));
    QCOMPARE(AccessibleRows(log), (QStringList{"[SEND]|!VS", "[RECV]|!PA 10.1.0.1"}));
    log.ClearLog();
    QCOMPARE(table->rowCount(), 0);
    log.AddLogLine(LOG_RECV, "!700", true);
    QTRY_COMPARE(AccessibleRows(log), QStringList("[RECV]|!700"));
}

// A clear followed by as many rows before the view lays out shows the new rows, not the old
// pixels: the screen of a log that held "!E0" equals that of a log that never did.
void LogListTest::clearThenNewRowsOnScreen() {
    CLogListCtrl reused;
    CLogListCtrl fresh;
    ShowLog(reused);
    ShowLog(fresh);
    reused.AddLogLine(LOG_SEND, "!E0", true);
    QTest::qWait(50);
    const QImage before = OnScreen(reused);
    reused.ClearLog();
    for (CLogListCtrl* log : {&reused, &fresh}) {
        log->AddLogLine(LOG_SEND, "!E1", true);
        log->AddLogLine(LOG_RECV, "!700", true);
    }
    QTRY_VERIFY(OnScreen(reused) != before);
    QTRY_COMPARE(OnScreen(reused), OnScreen(fresh));
}

void LogListTest::hangul_data() {
    QTest::addColumn<UiLanguage>("language");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    const QString seoul = QString::fromUtf8("\xEC\x84\x9C\xEC\x9A\xB8");
    QTest::newRow("cp949, Korean")
        << UiLanguage::Korean << QByteArray("!SC \xBC\xAD\xBF\xEF") << "!SC " + seoul;
    QTest::newRow("cp949, English")
        << UiLanguage::English << QByteArray("!SC \xBC\xAD\xBF\xEF") << "!SC " + seoul;
    QTest::newRow("UTF-8, Korean")
        << UiLanguage::Korean << ("!SC " + seoul).toUtf8() << "!SC " + seoul;
    QTest::newRow("neither: Latin-1")
        << UiLanguage::Korean << QByteArray("!SC \xFF\xFE") << QString::fromLatin1("!SC \xFF\xFE");
}

// Code page 949 bytes read as Hangul in the view, for a client and in a saved file (UTF-8).
void LogListTest::hangul() {
    QFETCH(UiLanguage, language);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    CLogListCtrl log(nullptr, language);
    ShowLog(log);
    log.AddLogLine(LOG_RECV, bytes.constData(), true);
    QCOMPARE(log.Model().index(0, 1).data().toString(), shown);
    QTRY_COMPARE(AccessibleRows(log), QStringList("[RECV]|" + shown));

    auto* menu = log.findChild<LogContextMenu*>();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    menu->chooseFile = [&](QWidget*, const QString&) { return path; };
    QVERIFY(menu->SaveAs());
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), "[RECV]\t" + shown + '\n');
}

void LogListTest::keysMoveTheSelection_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("Down") << 5 << int(Qt::Key_Down) << 6;
    QTest::newRow("Up") << 5 << int(Qt::Key_Up) << 4;
    QTest::newRow("Home") << 5 << int(Qt::Key_Home) << 0;
    QTest::newRow("End") << 5 << int(Qt::Key_End) << 99;
    QTest::newRow("PageDown") << 5 << int(Qt::Key_PageDown) << -1;
    QTest::newRow("PageUp") << 50 << int(Qt::Key_PageUp) << -1;
}

// The keys move the selection and the view keeps it in sight; a page key moves it by about the
// rows in view (-1: a page).
void LogListTest::keysMoveTheSelection() {
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    CLogListCtrl log;
    ShowLog(log);
    for (int n = 0; n < 100; ++n) {
        log.AddLogLine(n % 2, qPrintable(QString::number(n)), false);
    }
    log.SelectRow(from);
    QCOMPARE(log.SelectedRow(), from);
    QTest::keyClick(&log, Qt::Key(key));
    const int page = log.viewport()->height() / log.rowHeight(0);
    const int moved = log.SelectedRow() - from;
    if (to >= 0) {
        QCOMPARE(log.SelectedRow(), to);
    } else {
        QVERIFY2(qAbs(moved) >= page - 2 && qAbs(moved) <= page + 1,
                 qPrintable(QString::number(moved)));
        QCOMPARE(moved > 0, key == Qt::Key_PageDown);
    }
    const QRect selected = log.visualRect(log.Model().index(log.SelectedRow(), 1));
    QVERIFY(log.viewport()->rect().contains(selected));
}

void LogListTest::ctrlCCopiesTheSelectedRow() {
    CLogListCtrl log;
    ShowLog(log);
    log.AddLogLine(LOG_SEND, "!VS", true);
    log.AddLogLine(LOG_RECV, "!PP 5000", true);
    QGuiApplication::clipboard()->clear();
    log.SelectRow(1);
    QTest::keyClick(&log, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[RECV]\t!PP 5000"));
}

// With auto scroll the newest row comes fully into view; without it the view stays.
void LogListTest::autoScroll() {
    CLogListCtrl log;
    ShowLog(log);
    QScrollBar* bar = log.verticalScrollBar();
    for (int n = 0; n < 500; ++n) {
        log.AddLogLine(n % 2, qPrintable(QString::number(n)), true);
    }
    const auto newestInView = [&] {
        const QModelIndex newest = log.Model().index(log.Model().rowCount() - 1, 1);
        return log.viewport()->rect().contains(log.visualRect(newest));
    };
    QTRY_VERIFY(bar->maximum() > 0 && newestInView());
    bar->setValue(0);
    log.AddLogLine(LOG_RECV, "late", false);
    QTRY_COMPARE(bar->maximum(), 501 - log.viewport()->height() / log.rowHeight(0));
    QCOMPARE(bar->value(), 0);
    log.AddLogLine(LOG_RECV, "later", true);
    QTRY_VERIFY(newestInView());
}

// A larger font, as after a change of resolution, makes taller rows.
void LogListTest::rowsFollowTheFont() {
    CLogListCtrl log;
    ShowLog(log);
    log.AddLogLine(LOG_RECV, "!700", true);
    QTRY_COMPARE(log.Model().rowCount(), 1);
    const int before = log.rowHeight(0);
    QVERIFY(before >= log.fontMetrics().height());
    QFont larger = log.font();
    larger.setPointSizeF(larger.pointSizeF() * 3);
    log.setFont(larger);
    QTRY_VERIFY(log.rowHeight(0) >= QFontMetrics(larger).height());
    QVERIFY(log.rowHeight(0) > before);
}

// Past its bound the log drops its oldest rows in a block and says so in its first row; the
// rows kept are the newest, in order.
void LogListTest::oldestRowsDroppedPastTheBound() {
    LogModel model(UiLanguage::English);
    model.SetRowLimit(10);
    for (int n = 0; n < 25; ++n) {
        model.Append(LOG_RECV, std::to_string(n));
        model.Commit();
    }
    QVERIFY(model.rowCount() <= 11);
    QCOMPARE(model.index(0, 0).data().toString(), QString());
    const int dropped = 25 - (model.rowCount() - 1);
    QVERIFY(model.index(0, 1).data().toString().contains(QString::number(dropped)));
    for (int row = 1; row < model.rowCount(); ++row) {
        QCOMPARE(model.index(row, 1).data().toString(), QString::number(dropped + row - 1));
    }
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
    QTRY_VERIFY(log.visualRect(log.Model().index(1, 1)).isValid());
    const auto rightClick = [&](int row, const char* entry) {
        pick = QString::fromLatin1(entry);
        const QPoint cell = log.visualRect(log.Model().index(row, 1)).center();
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
