// A whole run through the real main window, on disk, writes the same bytes as brelin-cli on
// the same input. Only the file choices are scripted.
#include <QTest>
#include <cstdlib>

#include "child_process.h"
#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

namespace {

// Out of order in every group, with sources, notes, empty lines and lines to cut.
std::string mixedInput() {
    std::string text = "0 HEAD\r\n1 CHAR ANSI\r\n\r\n";
    for (int i = 600; i > 0; --i) {
        text += "0 @I" + std::to_string(i * 7 % 601) + "@ INDI\n1 NAME \"Jean\" /N" +
                std::to_string(i) + "/\n";
        if (i % 97 == 0) text += "1 NOTE " + std::string(300, char('a' + i % 26)) + "\n";
        if (i % 50 == 0) text += "\n";
    }
    for (int i = 200; i > 0; --i) text += "0 @F" + std::to_string(i) + "@ FAM\r1 HUSB @I1@\r";
    text += "0 @S2@ SOUR\r\n1 TITL deux\r\n0 @S1@ SOUR\r\n0 @N1@ NOTE note\r\n0 TRLR\r\n";
    return text;
}

}  // namespace

class WholeRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void sameBytesAsTheCommandLine_data();
    void sameBytesAsTheCommandLine();
};

void WholeRunTest::sameBytesAsTheCommandLine_data() {
    QTest::addColumn<QString>("example");  // a file of examples/, or empty for the mixed input
    QTest::newRow("bundled example") << "exemple.ged";
    QTest::newRow("mixed input") << "";
}

void WholeRunTest::sameBytesAsTheCommandLine() {
    QFETCH(QString, example);
    WindowRig rig;
    QVERIFY(rig.showActive());
    const std::string input =
        example.isEmpty()
            ? mixedInput()
            : readFile(std::string(BRELIN_EXAMPLES_DIR) + "/" + example.toStdString());
    QVERIFY(!input.empty());
    const QString inputPath = rig.input("entree.ged", input);

    rig.run(inputPath, rig.path("fenetre.ged"));
    QCOMPARE(rig.panel(2), QString("Terminé"));
    QVERIFY(rig.dialogs.messages.empty());

    const testing::ProcessResult cli = testing::runProcess(
        testing::copyCli(rig.dir.path()), {inputPath.toStdString(), rig.dir.file("cli.ged")});
    QCOMPARE(cli.exitCode, 0);

    const std::string fromWindow = readFile(rig.dir.file("fenetre.ged"));
    QVERIFY(fromWindow.size() > 100);
    QVERIFY(fromWindow == readFile(rig.dir.file("cli.ged")));
}

QTEST_MAIN(WholeRunTest)
#include "whole_run_test.moc"
