// Start-up: the dialogs run for each stored acceptance flag, the languages taken from the
// environment, and Qt's own texts under a Korean interface.
#include <QtTest>
#include <QtWidgets>

#include "app/acceptance_flag.h"
#include "app/quillbox_app.h"

class StartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    }

    // "stored under quillbox (empty: none)|program|disclaimer's answer|dialogs run|stored after"
    void flagValues_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("first start, accepted") << "|quillbox|1|disclaimer main|1";
        QTest::newRow("declined") << "|quillbox|2|disclaimer|";
        QTest::newRow("accepted before") << "1|/bin/quillbox|2|main|1";
        QTest::newRow("renamed program") << "1|C:/x/Other.exe|2|disclaimer|1";
        QTest::newRow("-1 ends at once") << "-1|quillbox|1||-1";
        QTest::newRow("above INT_MAX") << "4294967295|quillbox|1||4294967295";
        QTest::newRow("not a number") << "yes|quillbox|1|disclaimer main|1";
    }

    void flagValues() {
        QFETCH(QString, text);
        const QStringList row = text.split('|');
        QSettings settings("TavrelSystems", "quillbox");
        settings.clear();
        if (!row[0].isEmpty()) {
            settings.setValue("SETTINGS/AGREEMENT", row[0]);
        }
        QStringList ran;
        CVDMR30QuillboxApp app(ApplicationNameFromExecutable(row[1]),
                               {[&](uint8_t) { return (ran << "disclaimer", row[2] == "1"); },
                                [&] { ran << "main"; }});
        QVERIFY(!app.InitInstance());
        QCOMPARE(ran.join(' '), row[3]);
        QCOMPARE(settings.value("SETTINGS/AGREEMENT").toString(), row[4]);
    }

    // "LANGUAGE|LC_ALL|LC_MESSAGES|LANG|interface and system language", empty for unset.
    void languages_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("Korean system") << "|||ko_KR.UTF-8|Korean 18";
        QTest::newRow("LANGUAGE under C") << "ko|||C|English 9";
        QTest::newRow("under POSIX") << "ko||POSIX|ko|English 18";
        QTest::newRow("without locale") << "ko||||English 9";
        QTest::newRow("under C.UTF-8") << "ko:en|||C.UTF-8|Korean 9";
        QTest::newRow("LC_ALL first") << "|fr_FR|ko_KR|ko_KR|English 9";
        QTest::newRow("then LC_MESSAGES") << "||ko_KR|fr_FR|Korean 9";
        QTest::newRow("Konkani") << "|||kok_IN|English 9";
    }

    void languages() {
        QFETCH(QString, row);
        const char* const names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
        for (int i = 0; i < 4; ++i) {
            const QByteArray value = row.section('|', i, i).toUtf8();
            value.isEmpty() ? qunsetenv(names[i]) : qputenv(names[i], value);
        }
        const bool korean = DetectUiLanguage() == UiLanguage::Korean;
        QCOMPARE(QString("%1 %2").arg(korean ? "Korean" : "English").arg(SystemLanguageId()),
                 row.section('|', 4));
    }

    void koreanInterfaceGetsQtsKoreanButtons() {
        QTranslator translator;
        InstallQtTranslation(UiLanguage::Korean, translator);
        QMessageBox box(QMessageBox::NoIcon, "", "", QMessageBox::Yes);
        QCoreApplication::removeTranslator(&translator);
        const QString yes = box.button(QMessageBox::Yes)->text();
        QVERIFY2(yes.contains(QRegularExpression("[\uac00-\ud7a3]")), qPrintable(yes));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
