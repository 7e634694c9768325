#include "archives/ListLines.h"

#include <QListWidget>

namespace {

class SortedLine : public QListWidgetItem {
public:
    SortedLine(const QString& text, int datum) : QListWidgetItem(text, nullptr, QListWidgetItem::UserType)
    {
        setData(Qt::UserRole, datum);
    }

    // Case-insensitive, so " Unnamed" comes first and a blank sorts before a digit.
    bool operator<(const QListWidgetItem& other) const override
    {
        return QString::compare(text(), other.text(), Qt::CaseInsensitive) < 0;
    }
};

}  // namespace

QListWidgetItem* AddLine(QListWidget* list, const QString& text, int datum)
{
    auto* line = new SortedLine(text, datum);
    list->addItem(line);
    return line;
}

std::optional<int> SelectedDatum(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int datum = selected.first()->data(Qt::UserRole).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return datum;
}

BulkFill::BulkFill(QListWidget* list) : m_pList(list)
{
    m_pList->setSortingEnabled(false);
}

BulkFill::~BulkFill()
{
    m_pList->setSortingEnabled(true);
    m_pList->sortItems(Qt::AscendingOrder);
}
