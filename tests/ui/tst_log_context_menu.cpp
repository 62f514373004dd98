// The log's context menu, opened by right-clicks on the main window's log: its entries in both
// languages, copying the selected row and every row, saving to a file, and a failed save.
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "main_window_fixture.h"
#include "protocol/protocol_constants.h"
#include "ui/log_context_menu.h"
#include "ui/log_list_ctrl.h"

namespace {

const char kKoreanLine[] = "!SC \xEC\x9D\xB4\xEB\xA6\x84";  // "!SC 이름" in UTF-8

// The main window with its log's menu answered by the test: every right-click records the
// entries offered and picks the entry whose position is in `pick` (-1 picks nothing).
class MenuFixture {
public:
    explicit MenuFixture(UiLanguage language = UiLanguage::English)
        : window(f.Create(language)), menu(window.LogList().findChild<LogContextMenu*>()) {
        if (menu == nullptr) {
            return;
        }
        menu->runModal = f.boxes.Runner();
        menu->runMenu = [this](QMenu& shown, const QPoint&) {
            QList<QAction*> entries;
            offered.clear();
            enabled.clear();
            for (QAction* action : shown.actions()) {
                if (!action->isSeparator()) {
                    entries << action;
                    offered << action->text();
                    enabled << action->isEnabled();
                }
            }
            return entries.value(pick);  // nullptr for -1
        };
        menu->chooseFile = [this](QWidget* parent, const QString& caption) {
            fileParents << parent;
            fileCaptions << caption;
            return savePath;
        };
    }

    void AddLines() {
        window.AddLogLine(LOG_SEND, "!VS");
        window.AddLogLine(LOG_RECV, "!PA 10.1.0.1");
        window.AddLogLine(LOG_RECV, kKoreanLine);
        window.AddLogLine(LOG_RECV, "!700");
    }

    // A right-click through the window system on the text cell of `row`, as the mouse gives it.
    void RightClick(int row, int entry) {
        pick = entry;
        CLogListCtrl& log = window.LogList();
        const QPoint inView = log.visualRect(log.Model().index(row, 1)).center();
        const QPoint inWindow = log.viewport()->mapTo(&window, inView);
        QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, inWindow);
    }

    MainWindowFixture f;
    CVDMR30QuillboxDlg& window;
    LogContextMenu* menu;
    int pick = -1;
    QStringList offered;
    QList<bool> enabled;
    QString savePath;
    QStringList fileCaptions;
    QList<QWidget*> fileParents;
};

enum Entry { kCopy = 0, kCopyAll = 1, kSaveAs = 2 };

const char kAllRows[] =
    "[SEND]\t!VS\n[RECV]\t!PA 10.1.0.1\n[RECV]\t!SC \xEC\x9D\xB4\xEB\xA6\x84\n[RECV]\t!700";

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class LogContextMenuTest : public QObject {
    Q_OBJECT

private slots:
    void entriesFollowWindowLanguage_data();
    void entriesFollowWindowLanguage();
    void copiesSelectedRowAndAllRows();
    void realMenuRunsChosenEntry();
    void saveAsWritesEveryRow();
    void failedSaveShowsOneMessageAndChangesNothing();
};

void LogContextMenuTest::entriesFollowWindowLanguage_data() {
    QTest::addColumn<bool>("korean");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("fileCaption");
    QTest::newRow("English") << false << QStringList{"Copy", "Copy All", "Save As..."}
                             << QStringLiteral("Save As");
    QTest::newRow("Korean") << true
                            << QStringList{QStringLiteral("복사"), QStringLiteral("모두 복사"),
                                           QStringLiteral("다른 이름으로 저장...")}
                            << QStringLiteral("다른 이름으로 저장");
}

void LogContextMenuTest::entriesFollowWindowLanguage() {
    QFETCH(bool, korean);
    QFETCH(QStringList, entries);
    QFETCH(QString, fileCaption);
    MenuFixture m(korean ? UiLanguage::Korean : UiLanguage::English);
    QVERIFY(m.menu != nullptr);
    QVERIFY(m.f.Show());

    // An empty log offers nothing to copy or save.
    m.window.LogList().setFocus();
    QContextMenuEvent empty(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(m.window.LogList().viewport(), &empty);
    QCOMPARE(m.offered, entries);
    QCOMPARE(m.enabled, (QList<bool>{false, false, false}));

    m.AddLines();
    m.RightClick(1, kSaveAs);
    QCOMPARE(m.offered, entries);
    QCOMPARE(m.enabled, (QList<bool>{true, true, true}));
    QCOMPARE(m.fileCaptions, QStringList{fileCaption});
    QCOMPARE(m.fileParents, (QList<QWidget*>{&m.window}));
    // The chooser was cancelled: nothing is written and nothing is said.
    QCOMPARE(m.f.boxes.Count(), 0);
}

void LogContextMenuTest::copiesSelectedRowAndAllRows() {
    MenuFixture m;
    QVERIFY(m.menu != nullptr);
    QVERIFY(m.f.Show());
    m.AddLines();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    // The right-click selects the row it is on; Copy takes that row.
    m.RightClick(2, kCopy);
    QCOMPARE(clipboard->text(), QString::fromUtf8("[RECV]\t!SC \xEC\x9D\xB4\xEB\xA6\x84"));
    m.RightClick(0, kCopy);
    QCOMPARE(clipboard->text(), QStringLiteral("[SEND]\t!VS"));

    m.RightClick(3, kCopyAll);
    QCOMPARE(clipboard->text(), QString::fromUtf8(kAllRows));

    // Picking nothing leaves the clipboard alone.
    clipboard->setText(QStringLiteral("kept"));
    m.RightClick(1, -1);
    QCOMPARE(clipboard->text(), QStringLiteral("kept"));
    QCOMPARE(m.window.LogList().Model().rowCount(), 4);
    QCOMPARE(m.f.boxes.Count(), 0);
}

void LogContextMenuTest::realMenuRunsChosenEntry() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    window.AddLogLine(LOG_SEND, "!E0");
    window.AddLogLine(LOG_RECV, "!700");
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    // The menu opens for real; the operator moves to "Copy All" and presses Enter.
    QStringList shown;
    QObject timerOwner;  // the retries end with this test
    std::function<void()> operate = [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (popup == nullptr) {
            QTimer::singleShot(10, &timerOwner, operate);
            return;
        }
        for (QAction* action : popup->actions()) {
            if (!action->isSeparator()) {
                shown << action->text();
            }
            if (action->text() == QStringLiteral("Copy All")) {
                popup->setActiveAction(action);
            }
        }
        QTest::keyClick(popup, Qt::Key_Return);
    };
    QTimer::singleShot(0, &timerOwner, operate);
    CLogListCtrl& log = window.LogList();
    const QPoint inView = log.visualRect(log.Model().index(0, 1)).center();
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {},
                      log.viewport()->mapTo(&window, inView));
    QTRY_COMPARE(shown, (QStringList{"Copy", "Copy All", "Save As..."}));
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[SEND]\t!E0\n[RECV]\t!700"));
    QVERIFY(QApplication::activePopupWidget() == nullptr);
}

void LogContextMenuTest::saveAsWritesEveryRow() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MenuFixture m;
    QVERIFY(m.menu != nullptr);
    QVERIFY(m.f.Show());
    m.AddLines();
    m.savePath = folder.filePath(QStringLiteral("log.txt"));

    m.RightClick(0, kSaveAs);
    QCOMPARE(FileBytes(m.savePath), QByteArray(kAllRows) + '\n');

    // Saving again replaces the file; the log keeps its rows.
    m.window.ClearLog();
    m.window.AddLogLine(LOG_RECV, "!ER 01");
    m.RightClick(0, kSaveAs);
    QCOMPARE(FileBytes(m.savePath), QByteArray("[RECV]\t!ER 01\n"));
    QCOMPARE(m.window.LogList().Model().rowCount(), 1);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"log.txt"});
    QCOMPARE(m.f.boxes.Count(), 0);
}

void LogContextMenuTest::failedSaveShowsOneMessageAndChangesNothing() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString missing = folder.filePath(QStringLiteral("no such folder/log.txt"));
    for (const QString& path : {missing, folder.path()}) {
        MenuFixture m(UiLanguage::English);
        QVERIFY(m.menu != nullptr);
        QVERIFY(m.f.Show());
        m.AddLines();
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        m.savePath = path;

        m.RightClick(1, kSaveAs);
        QCOMPARE(m.f.boxes.Count(), 1);
        const ModalRecorder::Shown& box = m.f.boxes.Last();
        QCOMPARE(box.text, QStringLiteral("Cannot save the log to %1.").arg(path));
        QVERIFY(!box.detail.isEmpty());
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.caption, m.window.QWidget::windowTitle());
        QCOMPARE(m.window.LogList().Model().rowCount(), 4);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    }
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // In Korean the message is Korean too.
    MenuFixture korean(UiLanguage::Korean);
    QVERIFY(korean.f.Show());
    korean.AddLines();
    korean.savePath = missing;
    korean.RightClick(0, kSaveAs);
    QCOMPARE(korean.f.boxes.Count(), 1);
    QCOMPARE(korean.f.boxes.Last().text,
             QStringLiteral("로그를 %1에 저장할 수 없습니다.").arg(missing));
}

QTEST_MAIN(LogContextMenuTest)
#include "tst_log_context_menu.moc"
