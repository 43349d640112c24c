#include "Published.h"

#include "Action.h"
#include "ComboBox.h"
#include "Control.h"
#include "Edit.h"
#include "Form.h"
#include "ImageList.h"
#include "Menu.h"
#include "PageControl.h"

#include <QHash>
#include <QSet>
#include <stdexcept>

namespace tk {

namespace {

QList<PublishedEvent> toolkitEvents() {
    return {
        eventEntry("OnClick", &TControl::OnClick),
        eventEntry("OnDblClick", &TControl::OnDblClick),
        eventEntry("OnMouseDown", &TControl::OnMouseDown),
        eventEntry("OnMouseMove", &TControl::OnMouseMove),
        eventEntry("OnMouseUp", &TControl::OnMouseUp),
        eventEntry("OnKeyDown", &TControl::OnKeyDown),
        eventEntry("OnKeyPress", &TControl::OnKeyPress),
        eventEntry("OnKeyUp", &TControl::OnKeyUp),
        eventEntry("OnEnter", &TControl::OnEnter),
        eventEntry("OnExit", &TControl::OnExit),
        eventEntry("OnResize", &TControl::OnResize),
        eventEntry("OnStartDrag", &TControl::OnStartDrag),
        eventEntry("OnDragOver", &TControl::OnDragOver),
        eventEntry("OnDragDrop", &TControl::OnDragDrop),
        eventEntry("OnEndDrag", &TControl::OnEndDrag),
        eventEntry("OnStartDock", &TControl::OnStartDock),
        eventEntry("OnDockOver", &TControl::OnDockOver),
        eventEntry("OnDockDrop", &TControl::OnDockDrop),
        eventEntry("OnUnDock", &TControl::OnUnDock),
        eventEntry("OnEndDock", &TControl::OnEndDock),
        eventEntry("OnGetSiteInfo", &TControl::OnGetSiteInfo),
        eventEntry("OnCreate", &TForm::OnCreate),
        eventEntry("OnHelp", &TForm::OnHelp),
        eventEntry("OnChange", &TCustomEdit::OnChange),
        eventEntry("OnChange", &TCustomComboBox::OnChange),
        eventEntry("OnDropDown", &TCustomComboBox::OnDropDown),
        eventEntry("OnCloseUp", &TCustomComboBox::OnCloseUp),
        eventEntry("OnSelect", &TCustomComboBox::OnSelect),
        eventEntry("OnDrawItem", &TCustomComboBox::OnDrawItem),
        eventEntry("OnMeasureItem", &TCustomComboBox::OnMeasureItem),
        eventEntry("OnChange", &TPageControl::OnChange),
        eventEntry("OnChanging", &TPageControl::OnChanging),
        eventEntry("OnDrawTab", &TPageControl::OnDrawTab),
        eventEntry("OnChange", &TImageList::OnChange),
        eventEntry("OnExecute", &TAction::OnExecute),
        eventEntry("OnClick", &TMenuItem::OnClick),
    };
}

QList<PublishedEvent>& table() {
    static QList<PublishedEvent> events = toolkitEvents();
    return events;
}

// What a class publishes, its bases' lists applied first.
struct Publication {
    QStringList listed;   // opted-in properties and events, in list order
    QSet<QString> hidden; // plain properties a class took away
    QSet<QString> optIn;  // properties shown only where listed
};

QStringList ownList(const QMetaObject* mo, const char* key) {
    QStringList out;
    for (int i = mo->classInfoOffset(); i < mo->classInfoCount(); ++i)
        if (qstrcmp(mo->classInfo(i).name(), key) == 0)
            for (const QString& n :
                 QString::fromLatin1(mo->classInfo(i).value()).split(QLatin1Char(',')))
                if (!n.trimmed().isEmpty()) out << n.trimmed();
    return out;
}

const Publication& publication(const QMetaObject* mo) {
    static QHash<const QMetaObject*, Publication> cache;
    if (const auto it = cache.constFind(mo); it != cache.constEnd()) return *it;
    Publication p = mo->superClass() ? publication(mo->superClass()) : Publication();
    for (const QString& n : ownList(mo, "OptIn"))
        p.optIn.insert(n);
    for (const QString& n : ownList(mo, "Publishes")) {
        if (!p.listed.contains(n)) p.listed << n;
        p.hidden.remove(n);
    }
    for (const QString& n : ownList(mo, "Unpublishes")) {
        p.listed.removeAll(n);
        p.hidden.insert(n);
    }
    return *cache.insert(mo, p);
}

const PublishedEvent* entryFor(const QMetaObject* mo, const QString& name) {
    // The most derived declaration wins (a subclass's own OnChange).
    const PublishedEvent* best = nullptr;
    for (const PublishedEvent& e : table())
        if (e.name == name && mo->inherits(e.declaredBy) &&
            (!best || e.declaredBy->inherits(best->declaredBy)))
            best = &e;
    return best;
}

} // namespace

bool isEventName(const QString& name) {
    return name.size() > 2 && name.startsWith(QLatin1String("On")) && name[2].isUpper();
}

void registerEvent(PublishedEvent event) {
    for (PublishedEvent& e : table())
        if (e.name == event.name && e.declaredBy == event.declaredBy) {
            e = std::move(event);
            return;
        }
    table().append(std::move(event));
}

bool hasPublishedEvents(const QMetaObject* mo) {
    for (const PublishedEvent& e : table())
        if (mo->inherits(e.declaredBy)) return true;
    return false;
}

QList<const PublishedEvent*> publishedEvents(const QMetaObject* mo) {
    QList<const PublishedEvent*> out;
    for (const QString& n : publication(mo).listed) {
        if (!isEventName(n)) continue;
        const PublishedEvent* e = entryFor(mo, n);
        // A list naming an event the class lacks is the program's fault, not the layout's.
        if (!e)
            throw std::logic_error(QStringLiteral("%1 publishes %2, which it does not have")
                                       .arg(QLatin1String(mo->className()), n)
                                       .toStdString());
        out << e;
    }
    return out;
}

const PublishedEvent* findPublishedEvent(const QObject* o, const QString& name) {
    const QMetaObject* mo = o->metaObject();
    if (!publication(mo).listed.contains(name)) return nullptr;
    return entryFor(mo, name);
}

bool isPublishedProperty(const QMetaObject* mo, const QMetaProperty& p) {
    const char* n = p.name();
    if (!n || n[0] < 'A' || n[0] > 'Z') return false;
    const QString name = QString::fromLatin1(n);
    const Publication& pub = publication(mo);
    if (pub.optIn.contains(name)) return pub.listed.contains(name);
    return !pub.hidden.contains(name);
}

QList<QMetaProperty> publishedProperties(const QMetaObject* mo) {
    QList<QMetaProperty> out;
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (mo->indexOfProperty(p.name()) == i && isPublishedProperty(mo, p)) out << p;
    }
    return out;
}

} // namespace tk
