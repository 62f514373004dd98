// The port list over simulated devices: sorted, each entry's device as its tooltip, searched
// again when it takes the focus; with nothing found, Open reports the failure.
#include <QComboBox>
#include <QtTest>

#include "main_window_fixture.h"

class MainPortsTest : public QObject {
    Q_OBJECT

private slots:
    void portList();
    void noPortFound();
};

void MainPortsTest::portList() {
    MainWindowFixture f;
    for (int com : {3, 1, 12}) {
        QVERIFY(f.AddDevice(com));
    }
    f.Create();
    auto* combo = f.Control<QComboBox>(1000);
    QCOMPARE(ComboItems(combo), (QStringList{"COM1", "COM3", "COM12"}));
    for (int i = 0; i < combo->count(); ++i) {
        QVERIFY(combo->itemData(i, Qt::ToolTipRole).toString().startsWith("/dev/pts/"));
    }
    QVERIFY(f.Show());
    combo->setCurrentIndex(1);
    QVERIFY(f.AddDevice(7));
    // The list is searched again at the next focus, keeping the selected position.
    f.Control(1004)->setFocus();
    combo->setFocus(Qt::MouseFocusReason);
    QCOMPARE(ComboItems(combo), (QStringList{"COM1", "COM3", "COM7", "COM12"}));
    QCOMPARE(combo->currentIndex(), 1);
}

void MainPortsTest::noPortFound() {
    MainWindowFixture f;
    CVDMR30QuillboxDlg& window = f.Create();
    QVERIFY(!f.Control(1000)->isEnabled());
    f.Click(1001);
    QCOMPARE(f.boxes.Texts(), QStringList{"Cannot open COM0!"});
    QCOMPARE(window.SerialPort().portOpen.load(), 0);
    QVERIFY(f.ShowsPortClosed());
}

QTEST_MAIN(MainPortsTest)
#include "tst_main_ports.moc"
