// The window for a user of the keyboard and of a screen reader: where the focus is after a run,
// Escape during a run, and what the accessible tree holds.
#include <QAccessible>
#include <QTest>

#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

namespace {

// The names of the accessible children of the window, by role.
QStringList accessibleNames(QWidget& window, QAccessible::Role role) {
    QStringList names;
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(&window);
    for (int i = 0; i < tree->childCount(); ++i) {
        QAccessibleInterface* child = tree->child(i);
        if (child != nullptr && child->role() == role) names.append(child->text(QAccessible::Name));
    }
    return names;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void focusIsBackOnTheFileButtonAfterARun_data();
    void focusIsBackOnTheFileButtonAfterARun();
    void escapeDuringARunAsksTheStopQuestion();
    void theAccessibleTreeHoldsWhatIsShownEachNamed();
};

void KeyboardTest::focusIsBackOnTheFileButtonAfterARun_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("shown");  // the notice, or a message
    QTest::newRow("OK on the notice") << QByteArray("0 HEAD\r\n0 TRLR\r\n") << "RunNotice";
    QTest::newRow("a failure") << QByteArray("pas du GEDCOM\r\n") << "warn";
}

void KeyboardTest::focusIsBackOnTheFileButtonAfterARun() {
    QFETCH(QByteArray, input);
    QFETCH(QString, shown);
    WindowRig rig;
    QVERIFY(rig.showActive());
    rig.run(rig.input("entree.ged", input.toStdString()), rig.path("sortie.ged"));
    QVERIFY(rig.dialogs.modalWindows.contains(shown) ||
            (!rig.dialogs.messages.empty() && rig.dialogs.messages[0].kind == shown));
    // Enter starts the next run, as it did the first.
    QCOMPARE(QApplication::focusWidget(), rig.button("btnFile"));
}

void KeyboardTest::escapeDuringARunAsksTheStopQuestion() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    rig.dialogs.questionAnswers = {false};
    atNextProgressStep(&rig.window(), [&] { QTest::keyClick(&rig.window(), Qt::Key_Escape); });
    rig.run(rig.input("entree.ged", gedcomWithLines(300)), rig.path("sortie.ged"));
    QCOMPARE(rig.dialogs.count(kStopTitle), 1);  // answered "Non": the run went on
    QCOMPARE(rig.panel(2), QString("Terminé"));

    // Idle, Escape does nothing.
    QTest::keyClick(&rig.window(), Qt::Key_Escape);
    QCOMPARE(rig.dialogs.count(kStopTitle), 1);
    QVERIFY(rig.window().isVisible());
}

void KeyboardTest::theAccessibleTreeHoldsWhatIsShownEachNamed() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    // One "Quitter", idle and during a run; the progress bar named for what it measures.
    QCOMPARE(accessibleNames(rig.window(), QAccessible::Button).count("&Quitter") +
                 accessibleNames(rig.window(), QAccessible::Button).count("Quitter"),
             1);
    QStringList barNames;
    int quitters = 0;
    atNextProgressStep(&rig.window(), [&] {
        barNames = accessibleNames(rig.window(), QAccessible::ProgressBar);
        const QStringList buttons = accessibleNames(rig.window(), QAccessible::Button);
        quitters = int(buttons.count("&Quitter") + buttons.count("Quitter"));
    });
    rig.run(rig.input("entree.ged", gedcomWithLines(300)), rig.path("sortie.ged"));
    QCOMPARE(quitters, 1);
    QCOMPARE(barNames.size(), 1);
    QVERIFY2(barNames[0].contains("lecture"), qPrintable(barNames[0]));
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
