// What the window tells after a run: the notice, which names the file written and the log's and
// the report's paths, says what deserves attention, and opens the log, the report or their
// folder; and after a run without output, nothing, the last run's log and report kept.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "child_process.h"
#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

namespace {

// The notice as the user sees it.
struct NoticeSeen {
    QString title;
    QString text;  // its three paragraphs
    QStringList buttons;
    QString panel2;
};

// A run of input (entree.ged to sortie.ged, in the rig's folder); the notice as it showed, where
// it did, after the buttons named were clicked on it, in order.
std::optional<NoticeSeen> runWatchingTheNotice(WindowRig& rig, const std::string& input,
                                               const QStringList& clicks = {}) {
    std::optional<NoticeSeen> seen;
    rig.dialogs.onModal = [&rig, &seen, clicks](QDialog& dialog) {
        if (dialog.objectName() != "RunNotice") return;
        seen = NoticeSeen{dialog.windowTitle(), {}, {}, rig.panel(2)};
        for (const char* name : {"lblWritten", "lblFindings", "lblFiles"})
            seen->text += dialog.findChild<QLabel*>(name)->text() + "\n\n";
        for (auto* button : dialog.findChildren<QPushButton*>())
            if (!button->isHidden()) seen->buttons.append(button->text());
        seen->buttons.sort();
        for (const QString& name : clicks) dialog.findChild<QPushButton*>(name)->click();
    };
    rig.run(rig.input("entree.ged", input), rig.path("sortie.ged"));
    rig.dialogs.onModal = nullptr;  // seen ends here
    return seen;
}

const std::string kLongLine = "1 NOTE " + std::string(300, 'x') + "\r\n";

}  // namespace

class RunNoticeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void noticeNamesTheFileAndWhereTheLogAndReportAre_data();
    void noticeNamesTheFileAndWhereTheLogAndReportAre();
    void buttonsOpenAndSayWhenTheDesktopCannot_data();
    void buttonsOpenAndSayWhenTheDesktopCannot();
    void runWithoutOutputKeepsTheLastLogAndReportAndShowsNoNotice_data();
    void runWithoutOutputKeepsTheLastLogAndReportAndShowsNoNotice();
};

void RunNoticeTest::noticeNamesTheFileAndWhereTheLogAndReportAre_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("conc");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<QStringList>("notTold");
    QTest::addColumn<bool>("log");

    const QString concBox = "« Conserver la fin des lignes longues (CONC) »";
    const QByteArray twoLong = QByteArray::fromStdString("0 HEAD\r\n" + kLongLine + kLongLine +
                                                         "0 @I1@ INDI\r\n0 TRLR\r\n");
    QTest::newRow("clean run") << QByteArray::fromStdString(gedcomWithLines(300)) << false
                               << QStringList{"Rien à signaler.", "Journal : aucun"}
                               << QStringList{"À noter", concBox} << false;
    QTest::newRow("lines cut") << twoLong << false
                               << QStringList{"2 lignes de plus de 255 octets ont été coupées",
                                              "leur fin n'est pas dans le fichier écrit", concBox}
                               << QStringList{"Rien à signaler"} << true;
    QTest::newRow("lines continued")
        << twoLong << true
        << QStringList{"2 lignes de plus de 255 octets ont été continuées sur des lignes CONC"}
        << QStringList{"coupée", concBox} << true;
    QTest::newRow("no trailer") << QByteArray("0 HEAD\r\n0 @I1@ INDI\r\n") << false
                                << QStringList{"pas de ligne de fin", "Journal : aucun"}
                                << QStringList{concBox} << false;
    QTest::newRow("numbered by tag")
        << QByteArray("0 HEAD\r\n0 @2I@ INDI\r\n0 @1U@ FAM\r\n0 @1I@ INDI\r\n0 TRLR\r\n") << false
        << QStringList{"2 individus (INDI) et 1 famille (FAM) ont été regroupés par leur "
                       "étiquette et rangés selon le numéro de leur identifiant, comme @2I@ et "
                       "@1U@."}
        << QStringList{"Rien à signaler", concBox} << false;
    QTest::newRow("after the trailer, duplicate")
        << QByteArray("0 HEAD\r\n0 @I1@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n0 @I2@ INDI\r\n") << false
        << QStringList{"1 enregistrement placé après la ligne de fin", "@I1@ (lignes 2 et 3)"}
        << QStringList{concBox} << false;
}

void RunNoticeTest::noticeNamesTheFileAndWhereTheLogAndReportAre() {
    QFETCH(QByteArray, input);
    QFETCH(bool, conc);
    QFETCH(QStringList, told);
    QFETCH(QStringList, notTold);
    QFETCH(bool, log);

    WindowRig rig;
    QVERIFY(rig.showActive());
    rig.find<QCheckBox>("chkConc")->setChecked(conc);
    const std::optional<NoticeSeen> notice = runWatchingTheNotice(rig, input.toStdString());

    QVERIFY(rig.dialogs.messages.empty());
    QVERIFY(notice.has_value());
    QCOMPARE(notice->title, QString("Fin du traitement"));
    QCOMPARE(notice->panel2, QString("Terminé"));
    QVERIFY2(notice->text.startsWith("Le fichier a été écrit :\n" + rig.path("sortie.ged") + "\n"),
             qPrintable(notice->text));
    QVERIFY(notice->text.contains("Rapport : " + rig.path("Rapportbrelin.txt")));
    QCOMPARE(notice->text.contains("Journal : " + rig.path("Logbrelin.log")), log);
    QCOMPARE(QFile::exists(rig.path("Logbrelin.log")), log);
    for (const QString& words : told) QVERIFY2(notice->text.contains(words), qPrintable(words));
    for (const QString& words : notTold) QVERIFY2(!notice->text.contains(words), qPrintable(words));
    QStringList buttons = {"OK", "Ouvrir le dossier", "Ouvrir le rapport"};
    if (log) buttons.append("Ouvrir le journal");
    buttons.sort();
    QCOMPARE(notice->buttons, buttons);
}

void RunNoticeTest::buttonsOpenAndSayWhenTheDesktopCannot_data() {
    QTest::addColumn<bool>("desktopOpens");
    QTest::newRow("a program for each") << true;
    QTest::newRow("no program") << false;
}

void RunNoticeTest::buttonsOpenAndSayWhenTheDesktopCannot() {
    QFETCH(bool, desktopOpens);
    WindowRig rig;
    QVERIFY(rig.showActive());
    rig.dialogs.desktopOpens = desktopOpens;
    const std::optional<NoticeSeen> notice =
        runWatchingTheNotice(rig, "0 HEAD\r\n" + kLongLine + "0 TRLR\r\n",
                             {"btnOpenLog", "btnOpenReport", "btnOpenFolder"});

    QVERIFY(notice.has_value());
    const QStringList opened = {rig.path("Logbrelin.log"), rig.path("Rapportbrelin.txt"),
                                QString::fromStdString(rig.dir.path())};
    QCOMPARE(rig.dialogs.openedFiles, opened);
    // Each refusal says so and gives the path, which the user can then open by hand.
    QCOMPARE(rig.dialogs.messages.size(), size_t(desktopOpens ? 0 : 3));
    for (int i = 0; i < int(rig.dialogs.messages.size()); ++i) {
        QCOMPARE(rig.dialogs.messages[size_t(i)].kind, QString("warn"));
        QVERIFY(rig.dialogs.messages[size_t(i)].text.contains("\n" + opened[i] + "\n"));
    }
}

void RunNoticeTest::runWithoutOutputKeepsTheLastLogAndReportAndShowsNoNotice_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("cancelled");  // "Annulé" in the save dialog
    QTest::addColumn<bool>("stopped");    // "Oui" to the stop question, which ends the program
    QTest::addColumn<QString>("panel2");  // empty: the program ended
    const QByteArray longInput =
        QByteArray::fromStdString("0 HEAD\r\n" + kLongLine + gedcomWithLines(400).substr(8));
    QTest::newRow("Annulé") << longInput << true << false << "Annulé";
    QTest::newRow("Oui to stop") << longInput << false << true << "";
    QTest::newRow("not GEDCOM") << QByteArray("not GEDCOM\r\n") << false << false << "Échec";
    QTest::newRow("UTF-16") << QByteArray(
                                   "\xFF\xFE"
                                   "0\0 \0H\0",
                                   8)
                            << false << false << "Échec";
}

void RunNoticeTest::runWithoutOutputKeepsTheLastLogAndReportAndShowsNoNotice() {
    QFETCH(QByteArray, input);
    QFETCH(bool, cancelled);
    QFETCH(bool, stopped);
    QFETCH(QString, panel2);
    WindowRig rig;
    QVERIFY(rig.showActive());
    // The last run, which wrote its output, its log and its report.
    QVERIFY(runWatchingTheNotice(rig, "0 HEAD\r\n" + kLongLine + "0 TRLR\r\n"));
    const std::string log = readFile(rig.dir.file("Logbrelin.log"));
    const std::string report = readFile(rig.dir.file("Rapportbrelin.txt"));
    QVERIFY(!log.empty() && !report.empty());
    rig.dialogs.modalWindows.clear();
    rig.dialogs.messages.clear();

    if (stopped) {
        rig.dialogs.questionAnswers = {true};
        atNextProgressStep(&rig.window(), [&] { rig.button("btnStop")->click(); });
    }
    rig.dialogs.fileAnswers = {
        rig.input("autre.ged", input.toStdString()),
        cancelled ? std::nullopt : std::optional(rig.path("autre-trie.ged"))};
    rig.button("btnFile")->click();

    if (!panel2.isEmpty()) QCOMPARE(rig.panel(2), panel2);
    QCOMPARE(rig.window().databaseOpen(), !stopped);
    QCOMPARE(rig.dialogs.messages.size(), size_t(cancelled ? 0 : 1));
    QVERIFY(rig.dialogs.modalWindows.isEmpty());
    QVERIFY(readFile(rig.dir.file("Logbrelin.log")) == log);
    QVERIFY(readFile(rig.dir.file("Rapportbrelin.txt")) == report);
    QVERIFY(temporaryOutputs(rig.dir.path()).empty());
}

QTEST_MAIN(RunNoticeTest)
#include "run_notice_test.moc"
