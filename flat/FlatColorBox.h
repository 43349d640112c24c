#pragma once

#include "FlatComboBox.h"

#include <QRect>
#include <QString>
#include <memory>
#include <optional>

class QColorDialog;

namespace flat {

// A drop-down list of the standard colours, each item a swatch and its name, the last one
// ("Custom") asking for a colour of one's own in the colour dialog. The frame and arrow
// area are the flat combo box's; the background is Color and does not change with focus
// or hover. Each item's value is its colour.
//
// The list is filled when the box's native window is created: when it is first shown (or
// winId() or selectColor() comes first), and again on every re-creation (a font or
// language change). Filling selects the first item and raises OnChange.
class TDefineColorBox : public TDefineComboBase {
    Q_OBJECT
    // The list is rebuilt from the colour table whenever the box is created.
    Q_PROPERTY(tk::TColor Color READ color WRITE setColor STORED false)
    Q_PROPERTY(QStringList Items READ items WRITE setItems STORED false)
    Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged STORED false)
    Q_PROPERTY(QString Text READ text WRITE setText STORED false)
public:
    enum TNameLanguage { nlLocal, nlEnglish };

    static constexpr int SwatchWidth = 30;
    // The custom entry's names; a selected item whose text is exactly one of them asks for
    // a colour.
    static inline const QString CustomLocalName = QStringLiteral("自定");
    static inline const QString CustomEnglishName = QStringLiteral("Custom");

    explicit TDefineColorBox(tk::Component* owner = nullptr, QWidget* parent = nullptr);
    ~TDefineColorBox() override;

    // The selection rule: unless `c` is the current colour and the selected item's already,
    // the first item with colour `c` becomes the current colour and the selection, and
    // OnChange is raised. A colour no item has changes nothing.
    void selectColor(tk::TColor c);
    // The colour last taken by the selection rule. A rebuilt list keeps it.
    tk::TColor currentColor() const { return m_currentColor; }
    // The selected item's colour, or clNone when nothing is selected.
    tk::TColor selectedColor() const;

    bool showNames() const { return m_showNames; }
    void setShowNames(bool on);
    // Which names the list shows; a change rebuilds the list.
    TNameLanguage language() const { return m_language; }
    void setLanguage(TNameLanguage l);

    // Whether the list has been filled for the first time.
    bool isCreated() const { return m_created; }

    // The custom entry asks for its colour first: cancelling ends the click there, without
    // OnClick. Then the selection rule takes the selected item's colour, then OnClick.
    void click() override;
    void setName(const QString& name) override;

protected:
    // Asks the user for a colour, starting from `start`; nothing when cancelled. The box
    // keeps one colour dialog for its lifetime, so it remembers its custom colours.
    virtual std::optional<tk::TColor> runColorDialog(tk::TColor start);

    bool event(QEvent* e) override;
    void drawItem(tk::Canvas& c, int index, const tk::Rect& r, bool selected) override;
    void recreateWnd() override;

private:
    void fillList();

    bool m_showNames = true;
    tk::TColor m_currentColor = 0;
    std::unique_ptr<QColorDialog> m_dialog;
    TNameLanguage m_language = nlLocal;
    bool m_created = false;
};

} // namespace flat
