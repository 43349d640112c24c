#pragma once

#include "Answers.h"
#include "CodeTable.h"
#include "FlatCtrls.h"
#include "FlatEdit.h"
#include "Form.h"
#include "Label.h"
#include "LazyTable.h"

#include <QString>

// The maker's home page, where the link label leads.
inline constexpr const char* MakerHomePage = "https://zarvik.example/";

// What the result box shows for a query of `text` in `table`: the first line that holds
// the text at a character boundary, decoded and shortened to MaxAnswerLength characters
// and "…"; or a note when there is no such line. Text that GBK cannot hold is looked up
// in `everyCharacter`, the same version's table of every character, where there is one.
QString lookUpAnswer(const dict::CodeTable& table, dict::LazyTable& everyCharacter,
                     const QString& text);
// What the box holds, with room for the "…": a longer text only slows the box down, and no
// one reads a line of that length in a box of 194 pixels.
inline constexpr qsizetype MaxAnswerLength = tk::TCustomEdit::MaxTextLength - 1;
using dict::NotFoundText;
using dict::NotInGbkText;
// Why "置顶" is off and cannot be switched on, where the session does not let a program keep
// its window on top: on Wayland, and on X11 without a window manager that can.
inline constexpr const char* NoStayOnTopHint = "此 Wayland 会话不让程序把窗口置顶";
inline constexpr const char* NoWindowManagerOnTopHint = "此会话没有能把窗口置顶的窗口管理器";
// What a screen reader calls the input box and the result box.
inline constexpr const char* InputBoxName = "输入";
inline constexpr const char* ResultBoxName = "仓颉码";

// The main window: its composition is the layout file zrvkf.layout; this class holds a
// field per component, the two code tables and the handlers that wire them together.
class TForm1 : public tk::TForm {
    Q_OBJECT
public:
    static constexpr const char* Cj5FileName = "./cj5.m";
    static constexpr const char* Cj3FileName = "./cj3.m";
    // Read at the first query that needs them, so that they cost the start nothing.
    static constexpr const char* Cj5Utf8FileName = "./cj5-utf8.m";
    static constexpr const char* Cj3Utf8FileName = "./cj3-utf8.m";

    explicit TForm1(tk::Component* owner = nullptr);

    const dict::CodeTable& cj5Table() const { return m_cj5; }
    const dict::CodeTable& cj3Table() const { return m_cj3; }

    flat::TFlatPanel* FlatPanel1 = nullptr;
    flat::TFlatPages* FlatPages1 = nullptr;
    flat::TFlatSheet* fltsht1 = nullptr;
    flat::TFlatEdit* FlatEdit1 = nullptr;
    flat::TFlatButton* FlatButton1 = nullptr;
    flat::TFlatRadioGroup* FlatRadioGroup1 = nullptr;
    flat::TFlatRadioButton* FlatRadioButton1 = nullptr;
    flat::TFlatRadioButton* FlatRadioButton2 = nullptr;
    flat::TFlatEdit* FlatEdit2 = nullptr;
    flat::TFlatCheckBox* FlatCheckBox1 = nullptr;
    flat::TFlatLabel* FlatLabel1 = nullptr;
    flat::TFlatSheet* fltsht2 = nullptr;
    flat::TFlatPanel* FlatPanel2 = nullptr;
    tk::TLabel* Label2 = nullptr;
    flat::TFlatPanel* fltpnl1 = nullptr;
    tk::TLabel* lbl1 = nullptr;
    tk::TLabel* lbl2 = nullptr;

public slots:
    // The handlers the layout binds by name.
    void FormCreate();
    void FlatButton1Click();
    void FlatEdit1KeyPress(QChar& key);
    void FlatCheckBox1Click();
    void fltpnl1MouseDown(tk::TMouseButton button, tk::TShiftState shift, int x, int y);
    void lbl1MouseDown(tk::TMouseButton button, tk::TShiftState shift, int x, int y);
    void lbl2Click();
    void FlatLabel1Click();

private:
    void describeForAssistiveTechnology();
    void tellStayOnTopIsUnavailable();
    void offerStayOnTop();
    template <class T> void findField(T*& field, const char* name);

    dict::CodeTable m_cj5;
    dict::CodeTable m_cj3;
    dict::LazyTable m_cj5Utf8{Cj5Utf8FileName, dict::TextEncoding::Utf8};
    dict::LazyTable m_cj3Utf8{Cj3Utf8FileName, dict::TextEncoding::Utf8};
};

// Makes the window's classes known to the layout reader.
void registerFormClasses();
