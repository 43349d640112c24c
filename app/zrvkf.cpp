#include "zrvkf.h"

#include "Accessible.h"
#include "Application.h"
#include "Classes.h"
#include "Gbk.h"
#include "Layout.h"
#include "Lookup.h"
#include "Platform.h"
#include "Registration.h"

#include <QGuiApplication>
#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

void registerFormClasses() {
    tk::registerToolkitClasses();
    flat::registerFlatClasses();
    tk::registerLayoutClass<TForm1>();
}

namespace {

// The start of `line` as the result box shows it: at most MaxAnswerLength characters, then
// "…" when there is more. Only that start is decoded, so a line of megabytes costs no more
// than a short one.
QString shownLine(std::string_view line, dict::TextEncoding encoding) {
    std::size_t cut = 0;
    for (qsizetype characters = 0; cut < line.size() && characters < MaxAnswerLength; ++characters)
        cut += dict::charLength(encoding, line, cut);
    const QByteArrayView start(line.data(), qsizetype(cut));
    QString text =
        encoding == dict::TextEncoding::Gbk ? tk::gbk::decode(start) : QString::fromUtf8(start);
    if (cut == line.size() && text.size() <= MaxAnswerLength) return text;
    // Malformed bytes may decode to more than one character each; never split a pair.
    qsizetype keep = std::min(text.size(), MaxAnswerLength);
    if (keep > 0 && keep < text.size() && text[keep - 1].isHighSurrogate()) --keep;
    text.truncate(keep);
    return text + QChar(0x2026);
}

// The answer for text GBK cannot hold: from the table of every character where it lies
// beside the GBK tables, or what keeps it from answering.
QString everyCharacterAnswer(dict::LazyTable& table, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const dict::LazyAnswer answer =
        table.findFirstLine(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    switch (answer.kind) {
    case dict::LazyAnswer::Kind::Line:
        return shownLine(answer.line, dict::TextEncoding::Utf8);
    case dict::LazyAnswer::Kind::NotFound:
        return QString::fromUtf8(NotFoundText);
    case dict::LazyAnswer::Kind::NoTable:
        break;
    case dict::LazyAnswer::Kind::Broken:
        return QString::fromUtf8(answer.message);
    }
    return QString::fromUtf8(NotInGbkText);
}

} // namespace

QString lookUpAnswer(const dict::CodeTable& table, dict::LazyTable& everyCharacter,
                     const QString& text) {
    const std::optional<QByteArray> needle = tk::gbk::encode(text);
    // No GBK table can hold a character that GBK cannot encode.
    if (!needle) return everyCharacterAnswer(everyCharacter, text);
    const auto index = dict::findFirstLine(
        table, std::string_view(needle->constData(), std::size_t(needle->size())));
    if (!index) return QString::fromUtf8(NotFoundText);
    return shownLine(table.line(*index), dict::TextEncoding::Gbk);
}

TForm1::TForm1(tk::Component* owner) : tk::TForm(owner) {
    registerFormClasses();
    tk::readLayoutFile(this, QStringLiteral(":/forms/zrvkf.layout"));
    findField(FlatPanel1, "FlatPanel1");
    findField(FlatPages1, "FlatPages1");
    findField(fltsht1, "fltsht1");
    findField(FlatEdit1, "FlatEdit1");
    findField(FlatButton1, "FlatButton1");
    findField(FlatRadioGroup1, "FlatRadioGroup1");
    findField(FlatRadioButton1, "FlatRadioButton1");
    findField(FlatRadioButton2, "FlatRadioButton2");
    findField(FlatEdit2, "FlatEdit2");
    findField(FlatCheckBox1, "FlatCheckBox1");
    findField(FlatLabel1, "FlatLabel1");
    findField(fltsht2, "fltsht2");
    findField(FlatPanel2, "FlatPanel2");
    findField(Label2, "Label2");
    findField(fltpnl1, "fltpnl1");
    findField(lbl1, "lbl1");
    findField(lbl2, "lbl2");
    describeForAssistiveTechnology();
    // Creation completes whatever FormCreate reports.
    try {
        emit OnCreate();
    } catch (const std::exception& e) {
        tk::showException(e);
    }
}

void TForm1::describeForAssistiveTechnology() {
    // The two boxes have no caption and an empty ticket, so a screen reader would find
    // two nameless edits; the two clickable labels act as a link and as a button.
    tk::setAccessibleName(FlatEdit1, QString::fromUtf8(InputBoxName));
    tk::setAccessibleName(FlatEdit2, QString::fromUtf8(ResultBoxName));
    tk::setAccessibleRole(FlatLabel1, QAccessible::Link);
    FlatLabel1->setAccessibleDescription(QString::fromLatin1(MakerHomePage));
    tk::setAccessibleRole(lbl2, QAccessible::PushButton);
}

template <class T> void TForm1::findField(T*& field, const char* name) {
    tk::Component* c = findComponent(QString::fromLatin1(name));
    field = c ? qobject_cast<T*>(c->object()) : nullptr;
    if (!field) throw std::logic_error(std::string("The window's layout lacks ") + name);
}

void TForm1::FormCreate() {
    // Each table loads on its own, so a missing cj5.m does not leave cj3.m unread, and the
    // window goes on top in any case, so that the "置顶" box never shows a state the window
    // is not in. The failures are reported afterwards, Cangjie 5 first.
    std::optional<dict::TableError> cj5Error;
    std::optional<dict::TableError> cj3Error;
    try {
        m_cj5.load(Cj5FileName);
    } catch (const dict::TableError& e) {
        cj5Error = e;
    }
    try {
        m_cj3.load(Cj3FileName);
    } catch (const dict::TableError& e) {
        cj3Error = e;
    }
    if (canStayOnTop()) {
        setStayOnTop(true);
    } else {
        tellStayOnTopIsUnavailable();
        // A window manager may come after the program, as where a session starts its
        // programs before it, or in place of one that could not keep windows on top.
        tk::onXWindowManagerAnnounced(this, [this] {
            // Offered once: a later announcement leaves the user's choice alone.
            if (!FlatCheckBox1->isEnabled() && canStayOnTop()) offerStayOnTop();
        });
    }
    if (cj5Error) tk::showException(*cj5Error);
    if (cj3Error) tk::showException(*cj3Error);
}

void TForm1::FlatButton1Click() {
    const bool cj5 = FlatRadioButton1->isChecked();
    FlatEdit2->setText(
        lookUpAnswer(cj5 ? m_cj5 : m_cj3, cj5 ? m_cj5Utf8 : m_cj3Utf8, FlatEdit1->text()));
    // A line with several codes is wider than the box: show it from its start.
    FlatEdit2->lineEdit()->setCursorPosition(0);
}

void TForm1::FlatEdit1KeyPress(QChar& key) {
    if (!FlatEdit1->text().isEmpty() && key == QChar(13)) FlatButton1->click();
}

void TForm1::FlatCheckBox1Click() {
    setStayOnTop(FlatCheckBox1->isChecked());
}

void TForm1::tellStayOnTopIsUnavailable() {
    // The box would otherwise show a state the window is not in.
    FlatCheckBox1->setChecked(false);
    FlatCheckBox1->setEnabled(false);
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    FlatCheckBox1->setHint(QString::fromUtf8(wayland ? NoStayOnTopHint : NoWindowManagerOnTopHint));
    FlatCheckBox1->setShowHint(true);
}

void TForm1::offerStayOnTop() {
    FlatCheckBox1->setHint(QString());
    FlatCheckBox1->setEnabled(true);
    // Checking it puts the window on top, as the start would have.
    FlatCheckBox1->setChecked(true);
}

void TForm1::fltpnl1MouseDown(tk::TMouseButton button, tk::TShiftState, int, int) {
    startSystemMove(button);
}

void TForm1::lbl1MouseDown(tk::TMouseButton button, tk::TShiftState, int, int) {
    startSystemMove(button);
}

void TForm1::lbl2Click() {
    close();
}

void TForm1::FlatLabel1Click() {
    openUrl(QString::fromLatin1(MakerHomePage));
}
