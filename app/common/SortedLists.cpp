#include "common/SortedLists.h"

#include "ListOrder.h"

#include <QComboBox>
#include <QListWidget>

using namespace tomelens::core;

namespace {

// The program's one list order. UTF-8 keeps the order of code points, so
// texts of single-byte characters sort exactly as their bytes would.
bool Before(const QString& a, const QString& b)
{
    const QByteArray mine = a.toUtf8();
    const QByteArray theirs = b.toUtf8();
    return ListTextLess(std::string_view(mine.constData(), static_cast<size_t>(mine.size())),
                        std::string_view(theirs.constData(), static_cast<size_t>(theirs.size())));
}

class SortedLine : public QListWidgetItem {
public:
    SortedLine(const QString& text, int datum) : QListWidgetItem(text, nullptr, QListWidgetItem::UserType)
    {
        setData(Qt::UserRole, datum);
    }

    bool operator<(const QListWidgetItem& other) const override { return Before(text(), other.text()); }
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

void AddSorted(QComboBox* combo, const QString& text, int datum)
{
    int place = 0;
    while (place < combo->count() && !Before(text, combo->itemText(place)))
        ++place;
    combo->insertItem(place, text, datum);
}

int SelectedDatum(const QComboBox* combo, int fallback)
{
    const int index = combo->currentIndex();
    if (index < 0)
        return fallback;
    bool ok = false;
    const int datum = combo->itemData(index).toInt(&ok);
    return ok ? datum : fallback;
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
