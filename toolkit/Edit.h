#pragma once

#include "Control.h"
#include "Types.h"

#include <QLineEdit>

namespace tk {

// The native single-line edit: a frameless QLineEdit inside a control, so caret,
// selection, clipboard and input methods are the platform's own. The control keeps a
// non-client border of its own around the text area (NonClientWidth on every side)
// and paints it in paint(); the QLineEdit fills the rest. A right click on the QLineEdit
// shows the control's PopupMenu where it has one, Qt's own menu otherwise.
class TCustomEdit : public TControl {
    Q_OBJECT
    Q_CLASSINFO("Publishes", "OnChange,OnClick,OnDblClick,OnEnter,OnExit,OnKeyDown,"
                             "OnKeyPress,OnKeyUp,OnMouseDown,OnMouseMove,OnMouseUp")
    Q_CLASSINFO("Range:MaxLength", "0..32767")
    Q_PROPERTY(QString Text READ text WRITE setText NOTIFY OnChange)
    Q_PROPERTY(bool ReadOnly READ readOnly WRITE setReadOnly)
    Q_PROPERTY(int MaxLength READ maxLength WRITE setMaxLength)
    Q_PROPERTY(QString PasswordChar READ passwordChar WRITE setPasswordChar)
    Q_PROPERTY(tk::TEditCharCase CharCase READ charCase WRITE setCharCase)
    Q_PROPERTY(bool HideSelection READ hideSelection WRITE setHideSelection)
public:
    // The most the box holds, typed, set or pasted (Qt's own bound): with no limit a pasted
    // file would make every keystroke lay out megabytes of text.
    static constexpr int MaxTextLength = 32767;

    explicit TCustomEdit(Component* owner = nullptr, QWidget* parent = nullptr);

    QString text() const { return m_edit->text(); }
    void setText(const QString& t) {
        if (t != m_edit->text()) m_edit->setText(t);
    }
    bool readOnly() const { return m_edit->isReadOnly(); }
    void setReadOnly(bool on) { m_edit->setReadOnly(on); }
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int n);
    QString passwordChar() const {
        return m_passwordChar.isNull() ? QString() : QString(m_passwordChar);
    }
    void setPasswordChar(const QString& c);
    TEditCharCase charCase() const { return m_charCase; }
    void setCharCase(TEditCharCase c);
    bool hideSelection() const { return m_hideSelection; }
    void setHideSelection(bool on) {
        m_hideSelection = on;
        if (on && !m_edit->hasFocus()) m_edit->deselect();
    }

    void selectAll() { m_edit->selectAll(); }
    QLineEdit* lineEdit() const { return m_edit; }

    // The text's horizontal placement inside the text area.
    void setTextAlignment(Qt::Alignment a) { m_edit->setAlignment(a | Qt::AlignVCenter); }
    // Width of the border around the text area, on every side.
    void setNonClientWidth(int w);
    // Whether Enter and Escape belong to the edit rather than to the form (the
    // multi-line style keeps them).
    void setWantsAllKeys(bool on) { m_wantAllKeys = on; }

    int dialogCode() const override;

signals:
    // Every change of the text, the user's or the program's.
    void OnChange(const QString& text);

protected:
    QWidget* textEntry() override { return m_edit; }

    void setBounds(int left, int top, int width, int height) override;
    void colorChanged() override;
    void fontChanged() override;
    // The native edit holds its colours resolved: a system colour among them is taken anew.
    void sysColorChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Re-applies the native settings, as re-creating the native window would.
    virtual void recreateWnd();

private:
    void layoutEdit();
    void applyColors();

    QLineEdit* m_edit;
    int m_ncWidth = 0;
    int m_maxLength = 0;
    QChar m_passwordChar;
    TEditCharCase m_charCase = ecNormal;
    bool m_hideSelection = true;
    bool m_wantAllKeys = false;
};

} // namespace tk
