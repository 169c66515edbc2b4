// What the window tells after a run: the report written beside the log, then the notice, which
// names the file written and the log's and the report's paths, says what deserves attention,
// and opens the log, the report or their folder.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

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
    void failedRunRemovesTheLastReportAndShowsNoNotice();
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
                               << QStringList{"2 lignes de plus de 255 caractères ont été coupées",
                                              "leur fin n'est pas dans le fichier écrit", concBox}
                               << QStringList{"Rien à signaler"} << true;
    QTest::newRow("lines continued")
        << twoLong << true
        << QStringList{"2 lignes de plus de 255 caractères ont été continuées sur des lignes CONC"}
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

void RunNoticeTest::failedRunRemovesTheLastReportAndShowsNoNotice() {
    WindowRig rig;
    writeFile(rig.dir.file("Rapportbrelin.txt"), "the last run's report");
    QVERIFY(!runWatchingTheNotice(rig, "not GEDCOM\r\n"));
    QCOMPARE(rig.dialogs.messages.size(), size_t(1));
    QVERIFY(rig.dialogs.modalWindows.isEmpty());
    QVERIFY(!QFile::exists(rig.path("Rapportbrelin.txt")));
}

QTEST_MAIN(RunNoticeTest)
#include "run_notice_test.moc"
