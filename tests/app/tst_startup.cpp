#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "app/acceptance_flag.h"
#include "app/quillbox_app.h"
#include "app/system_language.h"

namespace {

// Records which dialogs start-up ran and answers the disclaimer as told.
struct DialogRecorder {
    int agreementAnswer = 1;
    int agreementRuns = 0;
    int mainRuns = 0;
    uint8_t languageSeen = 0;

    CVDMR30QuillboxApp::Dialogs Dialogs() {
        return {[this](uint8_t language) {
                    ++agreementRuns;
                    languageSeen = language;
                    return agreementAnswer;
                },
                [this] { ++mainRuns; }};
    }
};

QVariant StoredValue(const QString& application) {
    return QSettings("TavrelSystems", application).value("SETTINGS/AGREEMENT");
}

void Store(const QString& application, const QVariant& value) {
    QSettings settings("TavrelSystems", application);
    settings.setValue("SETTINGS/AGREEMENT", value);
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir;

    bool Run(DialogRecorder& recorder, const QString& application = "quillbox") {
        CVDMR30QuillboxApp app(application, recorder.Dialogs());
        return app.InitInstance();
    }

private slots:
    void init() {
        QVERIFY(settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        QSettings("TavrelSystems", "quillbox").clear();
        QSettings("TavrelSystems", "otherbox").clear();
        qputenv("LANG", "C.UTF-8");
        qunsetenv("LC_ALL");
    }

    void firstStartAcceptedOpensTheMainWindowAndRemembers() {
        DialogRecorder recorder;
        QVERIFY(!Run(recorder));
        QCOMPARE(recorder.agreementRuns, 1);
        QCOMPARE(recorder.mainRuns, 1);
        QCOMPARE(StoredValue("quillbox").toInt(), 1);

        DialogRecorder second;
        Run(second);
        QCOMPARE(second.agreementRuns, 0);
        QCOMPARE(second.mainRuns, 1);
    }

    void declinedOrFailedDisclaimerWritesNothing_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("declined") << 2;
        QTest::newRow("could not be shown") << -1;
    }

    void declinedOrFailedDisclaimerWritesNothing() {
        QFETCH(int, answer);
        DialogRecorder recorder;
        recorder.agreementAnswer = answer;
        QVERIFY(!Run(recorder));
        QCOMPARE(recorder.mainRuns, 0);
        QVERIFY(!StoredValue("quillbox").isValid());

        DialogRecorder next;
        Run(next);
        QCOMPARE(next.agreementRuns, 1);
    }

    void otherValuesEndAtOnceAndStayUnchanged_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("agreementRuns");
        QTest::addColumn<int>("mainRuns");
        QTest::newRow("2") << QVariant(2) << 0 << 0;
        QTest::newRow("-1") << QVariant(-1) << 0 << 0;
        QTest::newRow("unreadable counts as 0") << QVariant("yes") << 1 << 0;
    }

    void otherValuesEndAtOnceAndStayUnchanged() {
        QFETCH(QVariant, stored);
        QFETCH(int, agreementRuns);
        QFETCH(int, mainRuns);
        Store("quillbox", stored);
        DialogRecorder recorder;
        recorder.agreementAnswer = 2;
        Run(recorder);
        QCOMPARE(recorder.agreementRuns, agreementRuns);
        QCOMPARE(recorder.mainRuns, mainRuns);
        QCOMPARE(StoredValue("quillbox"), stored);
    }

    void renamedExecutableUsesItsOwnKey() {
        Store("quillbox", 1);
        DialogRecorder recorder;
        Run(recorder, ApplicationNameFromExecutable("/usr/local/bin/otherbox"));
        QCOMPARE(recorder.agreementRuns, 1);
        QCOMPARE(StoredValue("otherbox").toInt(), 1);
    }

    void applicationNameDropsFolderAndExtension_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "/usr/bin/quillbox" << "quillbox";
        QTest::newRow("extension") << "C:/tools/Quillbox.exe" << "Quillbox";
        QTest::newRow("relative") << "./build/app/quillbox" << "quillbox";
        QTest::newRow("two dots") << "/opt/quill.box.bin" << "quill.box";
        QTest::newRow("hidden file") << "/tmp/.quillbox" << ".quillbox";
    }

    void applicationNameDropsFolderAndExtension() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(ApplicationNameFromExecutable(path), name);
    }

    void systemLanguageFollowsTheSystemLocaleNotTheInterfaceLanguage_data() {
        QTest::addColumn<QByteArray>("lcAll");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<int>("language");
        QTest::newRow("Korean LANG") << QByteArray() << QByteArray("ko_KR.UTF-8") << 0x12;
        QTest::newRow("LC_ALL wins") << QByteArray("fr_FR.UTF-8") << QByteArray("ko_KR") << 0x09;
        QTest::newRow("French") << QByteArray() << QByteArray("fr_FR.UTF-8") << 0x09;
        QTest::newRow("Konkani is not Korean") << QByteArray() << QByteArray("kok_IN") << 0x09;
        QTest::newRow("unset") << QByteArray() << QByteArray() << 0x09;
    }

    void systemLanguageFollowsTheSystemLocaleNotTheInterfaceLanguage() {
        QFETCH(QByteArray, lcAll);
        QFETCH(QByteArray, lang);
        QFETCH(int, language);
        lcAll.isEmpty() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", lcAll);
        lang.isEmpty() ? qunsetenv("LANG") : qputenv("LANG", lang);
        qputenv("LANGUAGE", "en_US");
        DialogRecorder recorder;
        Run(recorder);
        QCOMPARE(int(recorder.languageSeen), language);
        qunsetenv("LANGUAGE");
    }

#ifdef QUILLBOX_BINARY
    void theProgramEndsAtOnceWithoutAWindowForAnUnknownValue() {
        QTemporaryDir home;
        const QString configDir = home.path() + "/config";
        QSettings stored(configDir + "/TavrelSystems/quillbox.conf", QSettings::NativeFormat);
        stored.setValue("SETTINGS/AGREEMENT", 2);
        stored.sync();

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", configDir);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(QUILLBOX_BINARY, {});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QSettings(configDir + "/TavrelSystems/quillbox.conf", QSettings::NativeFormat)
                     .value("SETTINGS/AGREEMENT")
                     .toInt(),
                 2);
    }
#endif
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
