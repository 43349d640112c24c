#pragma once

// The bases every flat control stands on. Each adds only the published Version, which
// layouts always store and which reads the same whatever a layout says.

#include "ComboBox.h"
#include "Control.h"
#include "Edit.h"
#include "PageControl.h"

#include <QString>

namespace flat {

// What every flat control reports as its Version.
inline constexpr char FlatVersion[] = "4.56.0.0";

// A custom-drawn control; the check box, group box, radio button and button stand on it.
class TVersionControl : public tk::TControl {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_PROPERTY(QString Version READ version WRITE setVersion)
public:
    explicit TVersionControl(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    QString version() const { return QString::fromLatin1(FlatVersion); }
    // Accepted so that any layout loads; what was written is never read back.
    void setVersion(const QString& v) { m_writtenVersion = v; }

private:
    QString m_writtenVersion;
};

// A custom-drawn control; the panel and the label stand on it.
class TVersionCtrlExt : public tk::TControl {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_PROPERTY(QString Version READ version WRITE setVersion)
public:
    explicit TVersionCtrlExt(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    QString version() const { return QString::fromLatin1(FlatVersion); }
    void setVersion(const QString& v) { m_writtenVersion = v; }

private:
    QString m_writtenVersion;
};

// The native single-line edit; the flat edit stands on it.
class TVersionEdit : public tk::TCustomEdit {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_PROPERTY(QString Version READ version WRITE setVersion)
public:
    explicit TVersionEdit(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    QString version() const { return QString::fromLatin1(FlatVersion); }
    void setVersion(const QString& v) { m_writtenVersion = v; }

private:
    QString m_writtenVersion;
};

// The native page control; the flat pages stand on it.
class TVersionPages : public tk::TPageControl {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_PROPERTY(QString Version READ version WRITE setVersion)
public:
    explicit TVersionPages(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    QString version() const { return QString::fromLatin1(FlatVersion); }
    void setVersion(const QString& v) { m_writtenVersion = v; }

private:
    QString m_writtenVersion;
};

// One page of the native page control; the flat sheet stands on it.
class TVersionSheet : public tk::TTabSheet {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_PROPERTY(QString Version READ version WRITE setVersion)
public:
    explicit TVersionSheet(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    QString version() const { return QString::fromLatin1(FlatVersion); }
    void setVersion(const QString& v) { m_writtenVersion = v; }

private:
    QString m_writtenVersion;
};

// The native combo box; the flat combo box and colour box stand on it.
class TVersionComboBox : public tk::TCustomComboBox {
    Q_OBJECT
    Q_CLASSINFO("AlwaysStored", "Version")
    Q_PROPERTY(QString Version READ version WRITE setVersion)
public:
    explicit TVersionComboBox(tk::Component* owner = nullptr, QWidget* parent = nullptr);

    QString version() const { return QString::fromLatin1(FlatVersion); }
    void setVersion(const QString& v) { m_writtenVersion = v; }

private:
    QString m_writtenVersion;
};

} // namespace flat
