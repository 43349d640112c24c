#include "Application.h"
#include "Navigation.h"
#include "TestEnvironment.h"
#include "TestHelpers.h"
#include "zrvkf.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGlyphRun>
#include <QLineEdit>
#include <QTest>
#include <QTextLayout>
#include <QUrl>
#include <memory>

namespace {

using testsupport::UrlSink;
using testsupport::writeTable;

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layoutPlacesEveryComponent_data();
    void layoutPlacesEveryComponent();
    void startsWithTheDocumentedState();
    void missingTablesAreEachReportedAndTheWindowStillGoesOnTop();
    void answerComesFromTheCheckedTable();
    void firstMatchingLineWins();
    void noMatchAndUnencodableTextHaveTheirOwnAnswers();
    void charactersBeyondGbkHaveGlyphs();
    void enterRunsTheQueryOnlyWithText();
    void tabWalksTheFirstPage();
    void stayOnTopFollowsTheCheckBox();
    void makerLinkOpensTheHomePage();
    void exitLabelClosesTheWindow();

private:
    std::unique_ptr<testsupport::WorkingFolder> m_folder;
    QStringList m_errors;
    std::unique_ptr<TForm1> makeForm();
};

void TestMainWindow::init() {
    m_folder = std::make_unique<testsupport::WorkingFolder>();
    m_errors.clear();
    tk::Application::setTitle(QStringLiteral("Zarvik2.2"));
    tk::setErrorBoxHandler([this](const QString& title, const QString& text) {
        m_errors << title + QLatin1Char('|') + text;
    });
    // Line 10 and line 20 both hold 字; the Cangjie 3 table lists 字 first.
    QStringList cj5;
    for (int i = 0; i < 25; ++i)
        cj5 << QStringLiteral("行%1").arg(i);
    cj5[10] = QStringLiteral("字 jnd 十弓木");
    cj5[20] = QStringLiteral("字 xxx 難難難");
    cj5[3] = QStringLiteral("倉 oiar 人戈日口");
    writeTable(QStringLiteral("cj5.m"), cj5);
    writeTable(QStringLiteral("cj3.m"),
               {QStringLiteral("字 jnd 十弓木 (cj3)"), QStringLiteral("倉 oiar 人戈日口 (cj3)")});
}

void TestMainWindow::cleanup() {
    tk::setErrorBoxHandler({});
    m_folder.reset();
}

std::unique_ptr<TForm1> TestMainWindow::makeForm() {
    return std::make_unique<TForm1>();
}

void TestMainWindow::layoutPlacesEveryComponent_data() {
    testsupport::addColumns<QString, QString, QString, QRect, QString, int>(
        {"name", "className", "parentName", "geometry", "caption", "fontHeight"});
    const auto row = [](const char* name, const char* cls, const char* parent, QRect g,
                        const QString& caption, int font) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls)
                            << QString::fromLatin1(parent) << g << caption << font;
    };
    row("FlatPanel1", "flat::TFlatPanel", "Form1", {0, 0, 194, 233}, {}, 11);
    row("FlatPages1", "flat::TFlatPages", "FlatPanel1", {1, 24, 192, 208}, {}, 14);
    row("FlatEdit1", "flat::TFlatEdit", "fltsht1", {15, 15, 81, 22}, {}, 13);
    row("FlatButton1", "flat::TFlatButton", "fltsht1", {110, 15, 66, 22}, QStringLiteral("查询"),
        14);
    row("FlatRadioGroup1", "flat::TFlatRadioGroup", "fltsht1", {8, 48, 174, 65},
        QStringLiteral("字典选择"), 14);
    row("FlatEdit2", "flat::TFlatEdit", "fltsht1", {17, 128, 155, 23}, {}, 14);
    row("FlatLabel1", "flat::TFlatLabel", "fltsht1", {80, 159, 101, 20},
        QStringLiteral("来自Zarvik主页"), 12);
    row("FlatPanel2", "flat::TFlatPanel", "fltsht2", {10, 7, 169, 169}, {}, 12);
    row("fltpnl1", "flat::TFlatPanel", "FlatPanel1", {1, 1, 192, 24}, {}, 11);
    row("lbl1", "tk::TLabel", "fltpnl1", {61, 4, 0, 0}, QStringLiteral("Zarvik 2.2"), 12);
    row("lbl2", "tk::TLabel", "fltpnl1", {165, 5, 0, 0}, QStringLiteral("退出"), 11);
}

void TestMainWindow::layoutPlacesEveryComponent() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(int, fontHeight);
    auto form = makeForm();
    tk::Component* c = form->findComponent(name);
    QVERIFY(c);
    auto* control = qobject_cast<tk::TControl*>(c->object());
    QVERIFY(control);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->pos(), geometry.topLeft());
    if (!geometry.size().isEmpty()) QCOMPARE(control->size(), geometry.size());
    QCOMPARE(control->caption(), caption);
    QCOMPARE(control->controlFont().height(), fontHeight);
    QCOMPARE(control->controlFont().name(), QStringLiteral("Tahoma"));
}

void TestMainWindow::startsWithTheDocumentedState() {
    auto form = makeForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("Zarvik2.2"));
    QCOMPARE(form->geometry(), QRect(257, 289, 194, 233));
    QVERIFY(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(form->FlatPages1->activePage(), form->fltsht1);
    QVERIFY(form->FlatEdit1->text().isEmpty());
    QVERIFY(form->FlatEdit2->text().isEmpty());
    QVERIFY(form->FlatEdit2->readOnly());
    QVERIFY(form->FlatRadioButton1->isChecked());
    QVERIFY(!form->FlatRadioButton2->isChecked());
    QVERIFY(form->FlatCheckBox1->isChecked());
    QVERIFY(form->isStayOnTop());
    QCOMPARE(form->FlatPanel1->colorBorder(), tk::clOlive);
    QVERIFY(form->Label2->caption().startsWith(QStringLiteral("     这是简繁仓颉字典2.2。\r\n")));
    QCOMPARE(form->Label2->caption().split(QStringLiteral("\r\n")).size(), 10);
    QVERIFY(m_errors.isEmpty());
}

void TestMainWindow::missingTablesAreEachReportedAndTheWindowStillGoesOnTop() {
    QFile::remove(QStringLiteral("cj5.m"));
    QFile::remove(QStringLiteral("cj3.m"));
    auto form = makeForm();
    const QString dir = QDir::currentPath();
    QCOMPARE(m_errors,
             (QStringList{
                 "Zarvik2.2|Cannot open file \"" + dir + "/cj5.m\". No such file or directory.",
                 "Zarvik2.2|Cannot open file \"" + dir + "/cj3.m\". No such file or directory."}));
    QVERIFY(form->isStayOnTop()); // the check box shows checked, and so it is
    QCOMPARE(form->cj5Table().count(), std::size_t(0));
}

void TestMainWindow::answerComesFromTheCheckedTable() {
    auto form = makeForm();
    form->FlatEdit1->setText(QStringLiteral("倉"));
    form->FlatButton1->click();
    QCOMPARE(form->FlatEdit2->text(), QStringLiteral("倉 oiar 人戈日口"));
    form->FlatRadioButton2->setChecked(true);
    QVERIFY(!form->FlatRadioButton1->isChecked());
    form->FlatButton1->click();
    QCOMPARE(form->FlatEdit2->text(), QStringLiteral("倉 oiar 人戈日口 (cj3)"));
}

void TestMainWindow::firstMatchingLineWins() {
    auto form = makeForm();
    form->FlatEdit1->setText(QStringLiteral("字"));
    form->FlatButton1->click();
    QCOMPARE(form->FlatEdit2->text(), QStringLiteral("字 jnd 十弓木"));
    // A long answer opens at its start, not scrolled to its end.
    QCOMPARE(form->FlatEdit2->lineEdit()->cursorPosition(), 0);
}

void TestMainWindow::noMatchAndUnencodableTextHaveTheirOwnAnswers() {
    auto form = makeForm();
    form->FlatEdit1->setText(QStringLiteral("无"));
    form->FlatButton1->click();
    QCOMPARE(form->FlatEdit2->text(), QStringLiteral("未找到"));
    form->FlatEdit1->setText(QStringLiteral("㗎"));
    form->FlatButton1->click();
    QCOMPARE(form->FlatEdit2->text(), QStringLiteral("不在GBK字符集中"));
    // A code letter matches no trail byte of a character: only whole characters count.
    form->FlatEdit1->setText(QStringLiteral("j"));
    form->FlatButton1->click();
    QCOMPARE(form->FlatEdit2->text(), QStringLiteral("字 jnd 十弓木"));
    QVERIFY(m_errors.isEmpty());
}

// The answers of the tables of every character show as characters, not as empty boxes: a
// font of the machine has them (Debian's fonts-hanazono).
void TestMainWindow::charactersBeyondGbkHaveGlyphs() {
    auto form = makeForm();
    QTextLayout layout(QStringLiteral("㗎𨋢𠵱𡃁"), form->FlatEdit2->lineEdit()->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    for (const QGlyphRun& run : layout.glyphRuns())
        for (const quint32 index : run.glyphIndexes()) {
            QVERIFY2(index != 0, qPrintable(run.rawFont().familyName()));
            ++glyphs;
        }
    QCOMPARE(glyphs, 4);
}

void TestMainWindow::enterRunsTheQueryOnlyWithText() {
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    int changes = 0;
    QObject::connect(form->FlatEdit2, &tk::TCustomEdit::OnChange, [&] { ++changes; });
    form->FlatEdit1->setFocus();
    QTRY_VERIFY(form->FlatEdit1->hasFocus());
    QTest::keyClick(form->FlatEdit1->lineEdit(), Qt::Key_Return);
    QCOMPARE(changes, 0);
    QVERIFY(form->FlatEdit2->text().isEmpty());
    form->FlatEdit1->setText(QStringLiteral("字"));
    QTest::keyClick(form->FlatEdit1->lineEdit(), Qt::Key_Return);
    QCOMPARE(changes, 1);
    QCOMPARE(form->FlatEdit2->text(), QStringLiteral("字 jnd 十弓木"));
    QCOMPARE(form->FlatEdit1->text(), QStringLiteral("字")); // no line break went in
}

void TestMainWindow::tabWalksTheFirstPage() {
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    form->FlatEdit1->setFocus();
    QTRY_VERIFY(form->FlatEdit1->hasFocus());
    const QList<tk::TControl*> expected{form->FlatRadioButton1, form->FlatButton1, form->FlatEdit2,
                                        form->FlatCheckBox1};
    for (tk::TControl* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(tk::controlFor(QApplication::focusWidget()), next);
    }
    QVERIFY(form->FlatRadioButton1->isChecked()); // tabbing onto it kept it checked
}

void TestMainWindow::stayOnTopFollowsTheCheckBox() {
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const QPoint where = form->pos();
    form->FlatCheckBox1->setChecked(false);
    QVERIFY(!form->isStayOnTop());
    form->FlatCheckBox1->setChecked(true);
    QVERIFY(form->isStayOnTop());
    QCOMPARE(form->pos(), where);
}

void TestMainWindow::makerLinkOpensTheHomePage() {
    UrlSink sink;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &sink, "open");
    auto form = makeForm();
    form->FlatLabel1->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(sink.opened, QList<QUrl>{QUrl(QStringLiteral("https://zarvik.example/"))});
}

void TestMainWindow::exitLabelClosesTheWindow() {
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->lbl2->click();
    QVERIFY(!form->isVisible());
}

ZARVIK_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
