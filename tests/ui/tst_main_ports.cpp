// The main window against simulated devices on pseudo-terminals: the port list, opening and
// closing, a listing, a write, losing the device and leaving with the port open.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "main_window_fixture.h"
#include "ui/ip_address_edit.h"
#include "ui/log_list_ctrl.h"

namespace {

constexpr int kTimeoutMs = 20000;

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

QString LogText(CVDMR30QuillboxDlg& window, int row, int column) {
    const QAbstractItemModel& model = window.LogList().Model();
    return model.data(model.index(row, column)).toString();
}

// The ids of the controls that are enabled only while the port is open.
const int kOpenOnly[] = {1002, 1008, 1009, 1010, 1015, 1017};
const int kClosedOnly[] = {1000, 1001};

bool ShowsPortOpen(const MainWindowFixture& f) {
    for (int id : kOpenOnly) {
        if (!f.Control(id)->isEnabled()) {
            return false;
        }
    }
    for (int id : kClosedOnly) {
        if (f.Control(id)->isEnabled()) {
            return false;
        }
    }
    return true;
}

bool ShowsPortClosed(const MainWindowFixture& f) {
    for (int id : kOpenOnly) {
        if (f.Control(id)->isEnabled()) {
            return false;
        }
    }
    for (int id : kClosedOnly) {
        if (!f.Control(id)->isEnabled()) {
            return false;
        }
    }
    return true;
}

// Moves the focus away from the port list and back, as a click on it does.
void FocusPortList(MainWindowFixture& f) {
    f.Control(1004)->setFocus();
    f.Control(1000)->setFocus(Qt::MouseFocusReason);
}

}  // namespace

class MainPortsTest : public QObject {
    Q_OBJECT

private slots:
    void portListSortedWithTooltips();
    void refillOnFocusKeepsSelection();
    void noPortFound();
    void openAndClose();
    void viewScriptFillsFieldsAndLog();
    void writeScriptWritesFields();
    void unpluggedDeviceClosesPortOnce();
    void exitClosesOpenPort();
};

void MainPortsTest::portListSortedWithTooltips() {
    MainWindowFixture f;
    for (int com : {3, 1, 12}) {
        QVERIFY(f.AddDevice(com));
    }
    CVDMR30QuillboxDlg& window = f.Create();
    auto* combo = f.Control<QComboBox>(1000);
    QCOMPARE(Items(combo), (QStringList{"COM1", "COM3", "COM12"}));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(window.PortCount(), 3);
    for (int i = 0; i < combo->count(); ++i) {
        // Each entry tells where it leads: the pseudo-terminal behind the link.
        QVERIFY(combo->itemData(i, Qt::ToolTipRole).toString().startsWith("/dev/pts/"));
    }
}

void MainPortsTest::refillOnFocusKeepsSelection() {
    MainWindowFixture f;
    for (int com : {3, 1, 12}) {
        QVERIFY(f.AddDevice(com));
    }
    f.Create();
    QVERIFY(f.Show());
    auto* combo = f.Control<QComboBox>(1000);
    combo->setCurrentIndex(1);
    FocusPortList(f);
    QCOMPARE(Items(combo), (QStringList{"COM1", "COM3", "COM12"}));
    QCOMPARE(combo->currentText(), QStringLiteral("COM3"));

    // A new device appears only when the list is refilled, at the next focus.
    QVERIFY(f.AddDevice(7));
    QCOMPARE(combo->count(), 3);
    FocusPortList(f);
    QCOMPARE(Items(combo), (QStringList{"COM1", "COM3", "COM7", "COM12"}));
    QCOMPARE(combo->currentIndex(), 1);

    // Fewer ports than the noted position: the first entry stays selected.
    f.ports.Remove(1);
    f.ports.Remove(3);
    f.ports.Remove(12);
    FocusPortList(f);
    QCOMPARE(Items(combo), QStringList{"COM7"});
    QCOMPARE(combo->currentText(), QStringLiteral("COM7"));
}

void MainPortsTest::noPortFound() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    auto* combo = f.Control<QComboBox>(1000);
    QCOMPARE(combo->count(), 0);
    QVERIFY(!combo->isEnabled());
    QVERIFY(f.Control(1001)->isEnabled());

    // Open tries port 0, which the channel refuses with its own message; the empty list is
    // enabled again so that the next focus searches anew.
    f.Control<QPushButton>(1001)->click();
    QCOMPARE(f.boxes.Count(), 1);
    QVERIFY(f.boxes.Last().text.contains(QStringLiteral("COM0")));
    QCOMPARE(window.SerialPort().portOpen.load(), 0);
    QVERIFY(ShowsPortClosed(f));

    // Showing the window gives the list the focus, which searches again.
    QVERIFY(f.AddDevice(5));
    QVERIFY(f.Show());
    QTRY_COMPARE(Items(combo), QStringList{"COM5"});
    QVERIFY(combo->isEnabled());
}

void MainPortsTest::openAndClose() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(6);
    QVERIFY(device);
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(ShowsPortClosed(f));

    f.Control<QPushButton>(1001)->click();
    QCOMPARE(window.SerialPort().portOpen.load(), 1);
    QVERIFY(ShowsPortOpen(f));
    QCOMPARE(f.boxes.Count(), 0);
    QCOMPARE(window.LogList().Model().rowCount(), 0);

    f.Control<QPushButton>(1002)->click();
    QCOMPARE(window.SerialPort().portOpen.load(), 0);
    QVERIFY(ShowsPortClosed(f));
    QCOMPARE(QString::fromStdString(window.SerialPort().DevicePath()), QString());

    // The port can be taken again after it was let go.
    f.Control<QPushButton>(1001)->click();
    QVERIFY(ShowsPortOpen(f));
    QCOMPARE(f.boxes.Count(), 0);
}

void MainPortsTest::viewScriptFillsFieldsAndLog() {
    MainWindowFixture f;
    const std::vector<std::string> stored = {
        "!PA 192.168.0.10", "!PP 5000", "!SA 10.1.0.2", "!SO C 3000", "!TC 5", "!SC QBX01",
        "!TB 9600",         "!TP 2",    "!TD 7",        "!TS 2",      "!FC 1"};
    QVERIFY(f.AddDevice(9, stored));
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    f.Control<QPushButton>(1001)->click();
    QVERIFY(ShowsPortOpen(f));

    f.Control<QPushButton>(1009)->click();
    // "!VS" sent, eleven lines and "!700" received.
    QTRY_COMPARE_WITH_TIMEOUT(window.LogList().Model().rowCount(), 13, kTimeoutMs);
    QCOMPARE(LogText(window, 0, 0), QStringLiteral("[SEND]"));
    QCOMPARE(LogText(window, 0, 1), QStringLiteral("!VS"));
    for (int i = 0; i < 11; ++i) {
        QCOMPARE(LogText(window, i + 1, 0), QStringLiteral("[RECV]"));
        QCOMPARE(LogText(window, i + 1, 1), QString::fromStdString(stored[i]));
    }
    QCOMPARE(LogText(window, 12, 1), QStringLiteral("!700"));

    QCOMPARE(f.Control<IpAddressEdit>(1003)->GetAddress(), 0xC0A8000Au);
    QCOMPARE(f.Control<IpAddressEdit>(1005)->GetAddress(), 0x0A010002u);
    QCOMPARE(f.Control<QLineEdit>(1004)->text(), QStringLiteral("5000"));
    QCOMPARE(f.Control<QLineEdit>(1031)->text(), QStringLiteral("30"));
    QCOMPARE(f.Control<QLineEdit>(1036)->text(), QStringLiteral("5"));
    QCOMPARE(f.Control<QLineEdit>(1033)->text(), QStringLiteral("QBX01"));
    QCOMPARE(f.Control<QComboBox>(1012)->currentText(), QStringLiteral("9600"));
    QCOMPARE(f.Control<QComboBox>(1024)->currentText(), QStringLiteral("ODD"));
    QCOMPARE(f.Control<QComboBox>(1026)->currentText(), QStringLiteral("7"));
    QCOMPARE(f.Control<QComboBox>(1028)->currentText(), QStringLiteral("2"));
    QCOMPARE(f.Control<QComboBox>(1018)->currentText(), QStringLiteral("RTS/CTS"));
    QCOMPARE(f.boxes.Count(), 0);
}

void MainPortsTest::writeScriptWritesFields() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(11, {"!PA 10.9.9.9", "!PP 1"});
    QVERIFY(device);
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    f.Control<QPushButton>(1001)->click();
    f.Control<QLineEdit>(1033)->setText(QStringLiteral("AB"));
    f.Control<QComboBox>(1024)->setCurrentIndex(1);

    f.Control<QPushButton>(1010)->click();
    QTRY_COMPARE_WITH_TIMEOUT(f.boxes.Count(), 1, kTimeoutMs);
    QCOMPARE(f.boxes.Last().text, QStringLiteral("All scripts have been written."));
    QCOMPARE(f.boxes.Last().icon, QMessageBox::Information);
    QCOMPARE(f.boxes.Last().caption, window.QWidget::windowTitle());
    std::vector<std::string> storedAfter;
    device->WithModel([&](DeviceModel& model) { storedAfter = model.StoredLines(); });
    const std::vector<std::string> expected = {"!PA 10.1.0.1", "!PP 1470", "!SC AB", "!TB 115200",
                                               "!TP 1",        "!TD 8",    "!TS 1",  "!FC 0"};
    QCOMPARE(storedAfter, expected);
}

void MainPortsTest::unpluggedDeviceClosesPortOnce() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(8);
    QVERIFY(device);
    CVDMR30QuillboxDlg& window = f.Create();
    f.Control<QPushButton>(1001)->click();
    QVERIFY(ShowsPortOpen(f));

    device->Unplug();
    QTRY_VERIFY_WITH_TIMEOUT(ShowsPortClosed(f), kTimeoutMs);
    QCOMPARE(window.SerialPort().portOpen.load(), 0);
    QCOMPARE(f.boxes.Count(), 1);
    QVERIFY(!f.boxes.Last().text.isEmpty());
}

void MainPortsTest::exitClosesOpenPort() {
    MainWindowFixture f;
    PtyHost* device = f.AddDevice(10);
    QVERIFY(device);
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(f.Show());
    f.Control<QPushButton>(1001)->click();
    QVERIFY(ShowsPortOpen(f));

    f.boxes.SetAnswer(QMessageBox::Yes);
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.SerialPort().portOpen.load(), 0);
    QCOMPARE(QString::fromStdString(window.SerialPort().DevicePath()), QString());
    QVERIFY(ShowsPortClosed(f));
    // The worker has been told to stop: destroying the window joins it at once.
    f.window.reset();
    QCOMPARE(f.boxes.Count(), 1);
}

QTEST_MAIN(MainPortsTest)
#include "tst_main_ports.moc"
