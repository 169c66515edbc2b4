// The help window: its text, its close button and keys, and a fresh text at every
// opening from the main window.
#include "help_window.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

namespace {

// Where an installed program keeps its log; a name with a blank and an accent.
const QString kLog = QStringLiteral("/home/anne/.local/share/mes données/Logbrelin.log");
const QString kReport = QStringLiteral("/home/anne/.local/share/mes données/Rapportbrelin.txt");

bool showActive(QDialog& dialog) {
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

}  // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void windowTextsAndFonts();
    void helpSaysWhereItsFilesAreInWholePhrases();
    void keysThatClose_data();
    void keysThatClose();
    void everyOpeningShowsTheTextAfresh();
};

void HelpWindowTest::windowTextsAndFonts() {
    HelpWindow help(kLog, kReport);
    QCOMPARE(help.objectName(), QString("FormAide"));
    QCOMPARE(help.windowTitle(), QString("Informations"));
    QCOMPARE(help.size(), QSize(621, 453));
    QCOMPARE(help.minimumSize(), help.maximumSize());
    QCOMPARE(help.palette().color(QPalette::Window), QColor(224, 224, 224));

    auto* title = help.findChild<QLabel*>("Label1");
    QCOMPARE(title->text(), QString("Adaptation d'un gedcom pour import dans Arbre Généalogique"));
    QCOMPARE(title->font().pointSizeF(), 13.5);
    QVERIFY(title->font().bold());
    auto* text = help.findChild<QPlainTextEdit*>("Text1");
    QCOMPARE(text->font().pointSizeF(), 9.75);
    QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text->palette().color(QPalette::Text), QColor(Qt::black));
    QCOMPARE(text->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::ToolTipBase));
    auto* close = help.findChild<QPushButton*>("Annuler");
    QCOMPARE(close->text(), QString("&Fermer"));
    QCOMPARE(close->toolTip(), QString("On arrête tout !"));
    QVERIFY(!close->isDefault());
    QCOMPARE(close->font().pointSizeF(), 9.75);
    QVERIFY(close->font().bold());
    QVERIFY(!help.findChild<QLabel*>("Label2")->text().isEmpty());
}

void HelpWindowTest::helpSaysWhereItsFilesAreInWholePhrases() {
    HelpWindow help(kLog, kReport);
    const QString text = help.findChild<QPlainTextEdit*>("Text1")->toPlainText();
    const QStringList lines = text.split('\n');
    // The folder, on a line of its own after the phrase that announces it.
    const qsizetype folder = lines.indexOf("/home/anne/.local/share/mes données");
    QVERIFY2(folder > 0 && lines[folder - 1].endsWith(':'), qPrintable(text));
    for (const char* name : {"(Logbrelin.log)", "(Rapportbrelin.txt)"})
        QVERIFY2(text.contains(name), name);
    QVERIFY(!text.contains('%'));
    // Paragraphs apart, each on one line: no line break inside a phrase.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty() || i == folder) continue;
        QVERIFY2(line.endsWith('.') || line.endsWith(':'), qPrintable(line));
    }
    QVERIFY(text.contains("Conserver la fin des lignes longues (CONC)"));
}

void HelpWindowTest::keysThatClose_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Alt+F") << Qt::Key_F << Qt::KeyboardModifiers(Qt::AltModifier);
    QTest::newRow("Escape") << Qt::Key_Escape << Qt::KeyboardModifiers(Qt::NoModifier);
}

// Pressed where the focus is when the window opens: in the text, which must not keep the key.
void HelpWindowTest::keysThatClose() {
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    HelpWindow help(kLog, kReport);
    QVERIFY(showActive(help));
    QVERIFY(help.focusWidget() != nullptr);
    QTest::keyClick(help.focusWidget(), key, modifiers);
    QTRY_VERIFY(!help.isVisible());
}

void HelpWindowTest::everyOpeningShowsTheTextAfresh() {
    WindowRig rig;
    QStringList textsSeen;
    rig.dialogs.onModal = [&](QDialog& dialog) {
        auto* text = dialog.findChild<QPlainTextEdit*>("Text1");
        textsSeen.append(text->toPlainText());
        text->setPlainText("effacé");
    };
    rig.button("btnAide")->click();
    rig.button("btnAide")->click();
    QCOMPARE(textsSeen.size(), 2);
    QCOMPARE(textsSeen[1], textsSeen[0]);
    QVERIFY(textsSeen[0].contains(rig.path("Logbrelin.log").section('/', -1)));
    QVERIFY(textsSeen[0].contains(QString::fromStdString(rig.dir.path()) + "\n"));
}

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
