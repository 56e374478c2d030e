// SPDX-License-Identifier: GPL-3.0-or-later
#include "ComboAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace app {
namespace {

class TNamedComboAccessible final : public QAccessibleWidget {
public:
    explicit TNamedComboAccessible(QComboBox* Combo) : QAccessibleWidget(Combo, QAccessible::ComboBox)
    {
        addControllingSignal(QStringLiteral("currentIndexChanged(int)"));
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
