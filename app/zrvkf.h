#pragma once

#include "CodeTable.h"
#include "Form.h"

#include <QString>

// The main window: built from its layout file, it owns the two code tables, which it
// loads from the working directory when it is created.
class TForm1 : public tk::TForm {
    Q_OBJECT
public:
    static constexpr const char* Cj5FileName = "./cj5.m";
    static constexpr const char* Cj3FileName = "./cj3.m";

    explicit TForm1(tk::Component* owner = nullptr);

    const dict::CodeTable& cj5Table() const { return m_cj5; }
    const dict::CodeTable& cj3Table() const { return m_cj3; }

    void FormCreate();

private:
    void bindEvent(QObject* target, const QString& event, const QString& handler);

    dict::CodeTable m_cj5;
    dict::CodeTable m_cj3;
};

// Makes the window's classes known to the layout reader.
void registerFormClasses();
