// SPDX-License-Identifier: GPL-3.0-or-later
#include "ComboAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QItemSelectionModel>

namespace app {
namespace {

// The list's selected item is the current one, so that the list tells it
// (Qt selects it there only when the list pops up).
void SelectCurrent(QComboBox* Combo)
{
    QAbstractItemView* View = Combo->view();
    if (View == nullptr || View->selectionModel() == nullptr)
        return;
    const QModelIndex Current =
        Combo->model()->index(Combo->currentIndex(), Combo->modelColumn(), Combo->rootModelIndex());
    View->selectionModel()->setCurrentIndex(Current, QItemSelectionModel::ClearAndSelect);
}

class TNamedComboAccessible final : public QAccessibleWidget {
public:
    explicit TNamedComboAccessible(QComboBox* Combo) : QAccessibleWidget(Combo, QAccessible::ComboBox)
    {
        addControllingSignal(QStringLiteral("currentIndexChanged(int)"));
        SelectCurrent(Combo);
        // Qt announces a change as the list's new value; the reader then finds
        // it selected among the items.
        QObject::connect(Combo, &QComboBox::currentIndexChanged, Combo, [Combo] { SelectCurrent(Combo); });
    }

    QString text(QAccessible::Text Kind) const override
    {
        if (Kind == QAccessible::Value)
            return Combo()->currentText();
        // The accessible name, else the label whose buddy the list is, so the
        // name follows the label into every language.
        const QString Text = QAccessibleWidget::text(Kind);
        if (Kind == QAccessible::Name && Text.isEmpty())
            return Combo()->currentText();
        return Text;
    }

    // The list of items, as Qt's own interface gives it: a screen reader reads
    // the choices and the current one there. The list lives in a popup window
    // of its own, so the widget tree does not hold it.
    int childCount() const override { return Combo()->view() != nullptr ? 1 : 0; }

    QAccessibleInterface* child(int Index) const override
    {
        return Index == 0 && Combo()->view() != nullptr ? QAccessible::queryAccessibleInterface(Combo()->view())
                                                        : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* Child) const override
    {
        return Child != nullptr && Combo()->view() != nullptr && Child->object() == Combo()->view() ? 0 : -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State State = QAccessibleWidget::state();
        State.expandable = true;
        State.expanded = Combo()->view() != nullptr && Combo()->view()->isVisible();
        return State;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& Name) override
    {
        if (Name == showMenuAction() || Name == pressAction())
            Combo()->showPopup();
        else
            QAccessibleWidget::doAction(Name);
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* NamedComboFactory(const QString& ClassName, QObject* Object)
{
    auto* Combo = qobject_cast<QComboBox*>(Object);
    // An editable list reads as its edit box; Qt's interface says that well.
    if (Combo == nullptr || ClassName != QLatin1String("QComboBox") || Combo->isEditable())
        return nullptr;
    return new TNamedComboAccessible(Combo);
}

} // namespace

void InstallNamedComboAccessible()
{
    static const bool Installed = [] {
        QAccessible::installFactory(NamedComboFactory);
        return true;
    }();
    (void)Installed;
}

} // namespace app
