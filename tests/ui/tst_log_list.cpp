// The message log list: its rows as shown, read by an accessibility client and painted after a
// clear, the keys, auto scroll, the bound on its length, and its context menu on the main window.
#include "main_window_fixture.h"
#include "protocol/protocol_constants.h"
#include "ui/log_cell_delegate.h"
#include "ui/log_context_menu.h"

namespace {

// The log as an accessibility client reads it: its rows' cells, "tag<TAB>text" each.
QStringList AccessibleRows(QAccessibleTableInterface* table) {
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        rows << table->cellAt(row, 0)->text(QAccessible::Name) + '\t' +
                    table->cellAt(row, 1)->text(QAccessible::Name);
    }
    return rows;
}

// What the screen shows of a top-level log, as painted.
QImage OnScreen(CLogListCtrl& log) {
    return log.screen()->grabWindow(log.winId()).toImage();
}

[[nodiscard]] bool ShowLog(CLogListCtrl& log) {
    log.SetColumns(QStringLiteral("Log"));
    log.resize(400, 300);
    log.show();
    return QTest::qWaitForWindowExposed(&log);
}

}  // namespace

class LogListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QAccessible::setActive(true); }  // as when a screen reader runs
    void rows_data();
    void rows();
    void keys_data();
    void keys();
    void oldestRowsDroppedPastTheBound();
    void contextMenuCopiesAndSaves();
};

void LogListTest::rows_data() {
    QTest::addColumn<UiLanguage>("language");
    QTest::addColumn<QString>("either");  // "\xC3\xA9", UTF-8 and code page 949 alike, as read
    QTest::newRow("Korean") << UiLanguage::Korean << "챕";
    QTest::newRow("English") << UiLanguage::English << "é";
}

// Rows decoded by the interface language, tagged, sent on blue and received on green in light
// text, read by a client as a table, painted after a clear as in a fresh log, fitted to the font.
void LogListTest::rows() {
    QFETCH(UiLanguage, language);
    QFETCH(QString, either);
    CLogListCtrl log(nullptr, language), fresh(nullptr, language), other(nullptr, language);
    QVERIFY(ShowLog(log) && ShowLog(fresh) && ShowLog(other));
    QHeaderView& header = *log.horizontalHeader();  // shown whole, nothing over it
    QCOMPARE(OnScreen(log).copy(QRect(header.mapTo(&log, QPoint()), header.size())),
             header.grab().toImage().convertToFormat(OnScreen(log).format()));
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&log);
    QCOMPARE(view->role(), QAccessible::Table);
    QAccessibleTableInterface* table = view->tableInterface();
    QCOMPARE(table->columnDescription(1), QStringLiteral("Log"));
    QCOMPARE(log.AddLogLine(LOG_SEND, "", true) + log.AddLogLine(LOG_SEND, nullptr, true), 0);
    log.AddLogLine(LOG_SEND, "!E0", true);
    QTRY_COMPARE(AccessibleRows(table), QStringList("[SEND]\t!E0"));
    QTRY_VERIFY(OnScreen(log) != OnScreen(fresh));
    other.AddLogLine(LOG_SEND, "!E1", true);  // the text shows, not only the tag
    const QRect cell =
        log.visualRect(log.Model().index(0, 1)).translated(log.viewport()->mapTo(&log, QPoint()));
    QTRY_VERIFY(OnScreen(other).copy(cell) != OnScreen(fresh).copy(cell));
    QVERIFY(OnScreen(other).copy(cell) != OnScreen(log).copy(cell));
    log.ClearLog();
    QCOMPARE(table->rowCount(), 0);
    for (CLogListCtrl* each : {&log, &fresh}) {
        QCOMPARE(each->AddLogLine(LOG_SEND, "!SC \xBC\xAD\xBF\xEF", true), 1);  // code page 949
        QCOMPARE(each->AddLogLine(LOG_RECV, "\xC3\xA9", true), 1);
    }
    QTRY_COMPARE(AccessibleRows(table), (QStringList{"[SEND]\t!SC 서울", "[RECV]\t" + either}));
    QCOMPARE(table->rowDescription(1), QStringLiteral("2"));
    QTRY_COMPARE(OnScreen(log), OnScreen(fresh));
    for (int cell = 0; cell < 4; ++cell) {
        const QModelIndex index = log.Model().index(cell / 2, cell % 2);
        const QColor back = index.data(Qt::BackgroundRole).value<QBrush>().color();
        QCOMPARE(back.blue() > back.green(), index.row() == 0);
        QVERIFY(index.data(Qt::ForegroundRole).value<QBrush>().color().lightness() >
                back.lightness());
    }
    log.SelectRow(0);
    QTRY_VERIFY(OnScreen(log) != OnScreen(fresh));
    QPalette red = log.palette();
    red.setColor(QPalette::Highlight, Qt::red);
    const QFont large(log.font().family(), QFontInfo(log.font()).pointSize() * 3);
    for (const bool enlarge : {false, true}) {
        for (CLogListCtrl* each : {&log, &fresh}) {
            enlarge ? each->setFont(large) : each->setPalette(red);
            each->SelectRow(0);
        }
        QTRY_COMPARE(OnScreen(log), OnScreen(fresh));
    }
    QVERIFY(log.RowHeight() >= log.fontMetrics().height());
}

void LogListTest::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");     // from row 50
    QTest::addColumn<int>("pages");  // and so many pages of rows, give or take two rows
    QTest::newRow("Down") << int(Qt::Key_Down) << 51 << 0;
    QTest::newRow("Up") << int(Qt::Key_Up) << 49 << 0;
    QTest::newRow("Right") << int(Qt::Key_Right) << 50 << 0;  // to the text cell
    QTest::newRow("Home") << int(Qt::Key_Home) << 0 << 0;
    QTest::newRow("End") << int(Qt::Key_End) << 99 << 0;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 50 << 1;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 50 << -1;
}

// Rows added without auto scroll leave the view where it is; the keys move the selection and
// keep it in sight, Ctrl+C copies that row, a click (with Shift too) selects just the row under
// it, a new row with auto scroll comes into view, and scrolled across the header follows.
void LogListTest::keys() {
    QFETCH(int, key);
    QFETCH(int, to);
    QFETCH(int, pages);
    CLogListCtrl log;
    QVERIFY(ShowLog(log));
    const auto inView = [&](int row) {
        return log.viewport()->rect().contains(log.visualRect(log.Model().index(row, 1)));
    };
    for (int n = 0; n < 100; ++n) {
        log.AddLogLine(LOG_RECV, qPrintable(QString::number(n)), false);
    }
    QTRY_VERIFY(log.verticalScrollBar()->maximum() > 0);
    QCOMPARE(log.verticalScrollBar()->value(), 0);
    log.SelectRow(50);
    const int before = log.verticalScrollBar()->value();
    const bool shown = pages == 0 && inView(to);
    QTest::keyClick(&log, Qt::Key(key));
    const int selected = log.SelectedRow();
    const int page = log.viewport()->height() / log.RowHeight();
    QVERIFY(qAbs(selected - to - pages * page) <= 2 * qAbs(pages));
    QVERIFY(inView(selected));
    QVERIFY(!shown || log.verticalScrollBar()->value() == before);  // no jump to a shown row
    QTest::keyClick(&log, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), "[RECV]\t" + QString::number(selected));
    const int clicked = selected == 0 ? 1 : selected - 1;  // wherever the view now stands
    QTest::mouseClick(log.viewport(), Qt::LeftButton, Qt::ShiftModifier,  // one row at a time
                      log.visualRect(log.Model().index(clicked, 1)).center());
    QCOMPARE(log.selectionModel()->selectedRows(), QModelIndexList{log.Model().index(clicked, 0)});
    log.AddLogLine(LOG_RECV, "100", true);
    QTRY_VERIFY(inView(100));
    log.resize(200, 150);
    QScrollBar& across = *log.horizontalScrollBar();
    QCoreApplication::processEvents();
    const QImage unscrolled = OnScreen(log);
    across.setValue(across.maximum());
    QCoreApplication::processEvents();
    const QImage scrolled = OnScreen(log);
    log.repaint();
    QCOMPARE(OnScreen(log), scrolled);
    for (const QWidget* part : {log.viewport(), log.horizontalHeader()->viewport()}) {
        const QRect shown(part->mapTo(&log, QPoint()), part->size());
        QVERIFY(scrolled.copy(shown) != unscrolled.copy(shown));
    }
}

// Past its bound the log drops its oldest rows and says how many in an untagged first row, drawn
// in the window's colours with its text in the text column only; the rows kept are the newest,
// in order.
void LogListTest::oldestRowsDroppedPastTheBound() {
    LogModel model(UiLanguage::English);
    model.SetRowLimit(10);
    for (int n = 0; n < 25; ++n) {
        model.Append(LOG_RECV, std::to_string(n));
        model.Commit();
        QVERIFY(model.rowCount() <= 10 + 1);
    }
    QCOMPARE(model.index(0, 0).data().toString(), QString());
    const int dropped = 25 - (model.rowCount() - 1);
    QVERIFY(model.index(0, 1).data().toString().contains(QString::number(dropped)));
    for (int row = 1; row < model.rowCount(); ++row) {
        QCOMPARE(model.index(row, 1).data().toString(), QString::number(dropped + row - 1));
    }
    QStyleOptionViewItem option;
    option.palette.setColor(QPalette::Base, Qt::white);
    QImage blank(200, 24, QImage::Format_RGB32);
    blank.fill(Qt::white);
    const auto painted = [&](int column) {
        QImage cell(blank.size(), blank.format());
        QPainter painter(&cell);
        option.rect = cell.rect();
        LogCellDelegate().paint(&painter, option, model.index(0, column));
        return cell;
    };
    QCOMPARE(painted(0), blank);
    QVERIFY(painted(1) != blank && painted(1).pixelColor(0, 0) == Qt::white);
}

// Copy takes the row clicked, Copy All every row, Save As writes them as UTF-8, and a failed
// save says so once; an empty log offers none of them.
void LogListTest::contextMenuCopiesAndSaves() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    CLogListCtrl& log = window.LogList();
    auto* menu = log.findChild<LogContextMenu*>();
    QVERIFY(menu != nullptr && f.Show());
    QStringList offered;
    QString pick;
    menu->runMenu = [&](QMenu& shown, const QPoint&) {
        offered.clear();
        for (QAction* action : shown.actions()) {
            offered << (action->isEnabled() ? action->text() : "-");
        }
        return shown.actions().value(offered.indexOf(pick));
    };
    QString path = f.FilePath(QStringLiteral("log.txt"));
    menu->chooseFile = [&](QWidget*, const QString&) { return path; };
    menu->runModal = f.boxes.Runner();
    const auto rightClick = [&](int row, const char* entry) {
        pick = QString::fromLatin1(entry);
        const QPoint cell = log.visualRect(log.Model().index(row, 1)).center();
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {},
                          log.viewport()->mapTo(&window, cell));
    };
    for (int tabs = 0; tabs < 40 && QApplication::focusWidget() != &log; ++tabs) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), &log);          // the keyboard alone reaches the rows
    rightClick(0, "");                                    // on an empty log
    QCOMPARE(offered, (QStringList{"-", "-", "", "-"}));  // nothing to copy or save yet
    window.AddLogLine(LOG_SEND, "!VS");
    rightClick(0, "Copy All");  // one row is enough
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[SEND]\t!VS"));
    window.AddLogLine(LOG_RECV, "!SC \xC0\xCC\xB8\xA7");  // code page 949
    rightClick(1, "Copy");
    QCOMPARE(offered, (QStringList{"Copy", "Copy All", "", "Save As..."}));
    const QString all = QStringLiteral("[SEND]\t!VS\n[RECV]\t!SC 이름");
    QCOMPARE(QGuiApplication::clipboard()->text(), all.section('\n', 1));
    rightClick(0, "Copy All");
    QCOMPARE(QGuiApplication::clipboard()->text(), all);
    rightClick(0, "Save As...");
    QCOMPARE(QByteArray::fromStdString(TempTree::Read(path.toStdString())), (all + '\n').toUtf8());
    path = f.FilePath(QStringLiteral("no such folder/log.txt"));
    rightClick(0, "Save As...");
    QCOMPARE(f.boxes.Texts(), QStringList(QStringLiteral("Cannot save the log to %1.").arg(path)));
}

QTEST_MAIN(LogListTest)
#include "tst_log_list.moc"
