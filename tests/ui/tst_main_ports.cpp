// The port list of the main window over simulated devices: sorted, with the device behind each
// entry as its tooltip, searched again when it takes the focus, and the Open button when
// nothing was found.
#include <QComboBox>
#include <QtTest>

#include "main_window_fixture.h"

namespace {

// Moves the focus away from the port list and back, as a click on it does.
void FocusPortList(MainWindowFixture& f) {
    f.Control(1004)->setFocus();
    f.Control(1000)->setFocus(Qt::MouseFocusReason);
}

}  // namespace

class MainPortsTest : public QObject {
    Q_OBJECT

private slots:
    void portListSortedWithTooltipsRefilledOnFocus();
    void noPortFound();
};

void MainPortsTest::portListSortedWithTooltipsRefilledOnFocus() {
    MainWindowFixture f;
    for (int com : {3, 1, 12}) {
        QVERIFY(f.AddDevice(com));
    }
    CVDMR30QuillboxDlg& window = f.Create();
    auto* combo = f.Control<QComboBox>(1000);
    QCOMPARE(ComboItems(combo), (QStringList{"COM1", "COM3", "COM12"}));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(window.PortCount(), 3);
    for (int i = 0; i < combo->count(); ++i) {
        // Each entry tells where it leads: the pseudo-terminal behind the link.
        QVERIFY(combo->itemData(i, Qt::ToolTipRole).toString().startsWith("/dev/pts/"));
    }
    QVERIFY(f.Show());
    combo->setCurrentIndex(1);
    FocusPortList(f);
    QCOMPARE(ComboItems(combo), (QStringList{"COM1", "COM3", "COM12"}));
    QCOMPARE(combo->currentText(), QStringLiteral("COM3"));

    // A new device appears only when the list is refilled, at the next focus.
    QVERIFY(f.AddDevice(7));
    QCOMPARE(combo->count(), 3);
    FocusPortList(f);
    QCOMPARE(ComboItems(combo), (QStringList{"COM1", "COM3", "COM7", "COM12"}));
    QCOMPARE(combo->currentIndex(), 1);

    // Fewer ports than the noted position: the first entry stays selected.
    for (int com : {1, 3, 12}) {
        f.ports.Remove(com);
    }
    FocusPortList(f);
    QCOMPARE(ComboItems(combo), QStringList{"COM7"});
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
    f.Click(1001);
    QCOMPARE(f.boxes.Texts(), QStringList{"Cannot open COM0!"});
    QCOMPARE(window.SerialPort().portOpen.load(), 0);
    QVERIFY(f.ShowsPortClosed());

    // Showing the window gives the list the focus, which searches again.
    QVERIFY(f.AddDevice(5));
    QVERIFY(f.Show());
    QTRY_COMPARE(ComboItems(combo), QStringList{"COM5"});
    QVERIFY(combo->isEnabled());
}

QTEST_MAIN(MainPortsTest)
#include "tst_main_ports.moc"
