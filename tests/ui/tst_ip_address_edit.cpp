// The IPv4 address field: typing, separators, clamping, blank parts and the number it gives.
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

#include "ui/ip_address_edit.h"

namespace {

// A shown window with the address field and an edit after it, so that focus moves are real.
struct AddressWindow {
    AddressWindow() {
        auto* layout = new QVBoxLayout(&window);
        address = new IpAddressEdit(&window);
        after = new QLineEdit(&window);
        layout->addWidget(address);
        layout->addWidget(after);
        window.show();
        window.activateWindow();
    }
    bool Ready() { return QTest::qWaitForWindowActive(&window); }
    QStringList PartTexts() const {
        QStringList texts;
        for (int i = 0; i < 4; ++i) {
            texts << address->Part(i)->text();
        }
        return texts;
    }
    QWidget window;
    IpAddressEdit* address = nullptr;
    QLineEdit* after = nullptr;
};

// Types each character into whichever widget has the focus at that moment, as a keyboard does.
void TypeIntoFocus(const QString& keys) {
    for (const QChar key : keys) {
        QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
    }
}

}  // namespace

class IpAddressEditTest : public QObject {
    Q_OBJECT

private slots:
    void typedAddress_data();
    void typedAddress();
    void keysMoveBetweenPartsAndTabLeaves();
};

void IpAddressEditTest::typedAddress_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<uint>("address");
    QTest::addColumn<QStringList>("parts");
    // Three digits move on by themselves; the dot after them lands in an empty part and is
    // ignored, so a whole address can be typed as it is written.
    QTest::newRow("nothing typed") << "" << 0u << QStringList{"", "", "", ""};
    QTest::newRow("full") << "192.168.0.10" << 0xC0A8000Au << QStringList{"192", "168", "0", "10"};
    QTest::newRow("short parts") << "10.1.0.1" << 0x0A010001u << QStringList{"10", "1", "0", "1"};
    QTest::newRow("blank separator")
        << "10 1 2 3" << 0x0A010203u << QStringList{"10", "1", "2", "3"};
    QTest::newRow("dot in empty part") << "10..1" << 0x0A010000u << QStringList{"10", "1", "", ""};
    QTest::newRow("letters refused") << "1a2.b3" << 0x0C030000u << QStringList{"12", "3", "", ""};
    QTest::newRow("above the maximum")
        << "999.300.1" << 0xFFFF0100u << QStringList{"255", "255", "1", ""};
    QTest::newRow("leading zeros")
        << "010.001.000.009" << 0x0A010009u << QStringList{"010", "001", "000", "009"};
}

void IpAddressEditTest::typedAddress() {
    QFETCH(QString, keys);
    QFETCH(uint, address);
    QFETCH(QStringList, parts);
    AddressWindow w;
    QVERIFY(w.Ready());
    w.address->setFocus();
    TypeIntoFocus(keys);
    QCOMPARE(w.PartTexts(), parts);
    QCOMPARE(w.address->GetAddress(), address);
}

void IpAddressEditTest::keysMoveBetweenPartsAndTabLeaves() {
    AddressWindow w;
    QVERIFY(w.Ready());
    w.address->SetAddress(0x0A010001);
    w.address->Part(2)->setFocus();
    w.address->Part(2)->setCursorPosition(0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QCOMPARE(QApplication::focusWidget(), w.address->Part(1));
    QCOMPARE(w.address->Part(1)->cursorPosition(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), w.address->Part(2));

    // Emptying a part and pressing Backspace again goes on in the part before it.
    w.address->Part(3)->setFocus();
    w.address->Part(3)->end(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(w.address->Part(3)->text(), QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(QApplication::focusWidget(), w.address->Part(2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(w.PartTexts(), (QStringList{"10", "1", "", ""}));
    QCOMPARE(w.address->GetAddress(), 0x0A010000u);

    // Tab leaves the whole field; Backtab comes back to its first part.
    w.address->setFocus();
    QCOMPARE(QApplication::focusWidget(), w.address->Part(0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.after);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), w.address->Part(0));
}

QTEST_MAIN(IpAddressEditTest)
#include "tst_ip_address_edit.moc"
