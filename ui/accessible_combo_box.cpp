// SPDX-License-Identifier: MIT
#include "accessible_combo_box.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

namespace corvane {

namespace {

class CAccessibleComboBox : public QAccessibleWidget {
public:
    explicit CAccessibleComboBox(QComboBox* pComboBox) : QAccessibleWidget(pComboBox, QAccessible::ComboBox) {}

    QString text(QAccessible::Text textKind) const override
    {
        if (textKind == QAccessible::Value)
            return ComboBox()->currentText();
        return QAccessibleWidget::text(textKind);  // the accessible name and description
    }

    // The dropped list, as Qt's own interface has it, so its items can be read and chosen.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(ComboBox()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* pChild) const override
    {
        return pChild != nullptr && pChild->object() == ComboBox()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override
    {
        if (actionName == showMenuAction() || actionName == pressAction())
            ComboBox()->showPopup();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QComboBox* ComboBox() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* NamedComboBoxes(const QString& className, QObject* pObject)
{
    auto* pComboBox = className == QLatin1String("QComboBox") ? qobject_cast<QComboBox*>(pObject) : nullptr;
    if (pComboBox == nullptr || pComboBox->accessibleName().isEmpty())
        return nullptr;
    return new CAccessibleComboBox(pComboBox);
}

}  // namespace

void InstallAccessibleComboBoxes()
{
    static const bool bInstalled = [] {
        QAccessible::installFactory(NamedComboBoxes);
        return true;
    }();
    (void)bInstalled;
}

}  // namespace corvane
