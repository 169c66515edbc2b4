// What the window tells after a run: the report written beside the log, and a notice only when
// the run has something to tell, whose button opens the log or the report.
#include <QFile>
#include <QTest>

#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

class RunNoticeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void noticeOnlyWhenThereIsSomethingToTell_data();
    void noticeOnlyWhenThereIsSomethingToTell();
    void failedRunRemovesTheLastReport();
};

void RunNoticeTest::noticeOnlyWhenThereIsSomethingToTell_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("told");  // words of the notice's lines; empty for no notice
    QTest::addColumn<QString>("opens");     // the file its button opens
    QTest::addColumn<QString>("button");

    const std::string tail = "1 NOTE " + std::string(300, 'x') + "\r\n";
    QTest::newRow("nothing to tell")
        << QByteArray::fromStdString(gedcomWithLines(300)) << QStringList() << ""
        << "";
    QTest::newRow("lines cut") << QByteArray::fromStdString("0 HEAD\r\n" + tail + tail +
                                                            "0 TRLR\r\n")
                               << QStringList{"2 lignes de plus de 255 caractères"}
                               << "Logbrelin.log"
                               << "Ouvrir le journal";
    QTest::newRow("no trailer") << QByteArray("0 HEAD\r\n0 @I1@ INDI\r\n")
                                << QStringList{"pas de ligne de fin"} << "Rapportbrelin.txt"
                                << "Ouvrir le rapport";
    QTest::newRow("after the trailer, duplicate")
        << QByteArray("0 HEAD\r\n0 @I1@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n0 @I2@ INDI\r\n")
        << QStringList{"1 enregistrement placé après la ligne de fin", "@I1@ (lignes 2 et 3)"}
        << "Rapportbrelin.txt"
        << "Ouvrir le rapport";
}

void RunNoticeTest::noticeOnlyWhenThereIsSomethingToTell() {
    QFETCH(QByteArray, input);
    QFETCH(QStringList, told);
    QFETCH(QString, opens);
    QFETCH(QString, button);

    WindowRig rig;
    QVERIFY(rig.showActive());
    rig.dialogs.noticeAnswers = {true};
    QString panelAtNotice;
    rig.dialogs.onNotice = [&](const ScriptedDialogs::Message&) { panelAtNotice = rig.panel(2); };
    rig.run(rig.input("entree.ged", input.toStdString()), rig.path("sortie.ged"));

    QCOMPARE(rig.panel(2), QString("Terminé"));
    QVERIFY(rig.dialogs.messages.empty());
    const std::string report = readFile(rig.dir.file("Rapportbrelin.txt"));
    QVERIFY(report.find("Vérification : les ") != std::string::npos);
    if (told.isEmpty()) {
        QVERIFY(rig.dialogs.notices.empty());
        QVERIFY(rig.dialogs.openedFiles.isEmpty());
        return;
    }
    QCOMPARE(rig.dialogs.notices.size(), size_t(1));
    QCOMPARE(panelAtNotice, QString("Terminé"));
    for (const QString& words : told)
        QVERIFY2(rig.dialogs.notices[0].text.contains(words, Qt::CaseInsensitive),
                 qPrintable(rig.dialogs.notices[0].text));
    QCOMPARE(rig.dialogs.noticeButtons, QStringList{button});
    QCOMPARE(rig.dialogs.openedFiles, QStringList{rig.path(opens.toStdString())});
}

void RunNoticeTest::failedRunRemovesTheLastReport() {
    WindowRig rig;
    writeFile(rig.dir.file("Rapportbrelin.txt"), "the last run's report");
    rig.run(rig.input("entree.ged", "not GEDCOM\r\n"), rig.path("sortie.ged"));
    QCOMPARE(rig.dialogs.messages.size(), size_t(1));
    QVERIFY(rig.dialogs.notices.empty());
    QVERIFY(!QFile::exists(rig.path("Rapportbrelin.txt")));
}

QTEST_MAIN(RunNoticeTest)
#include "run_notice_test.moc"
