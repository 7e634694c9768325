#include "archives/ListLines.h"

#include "ListOrder.h"

#include <QListWidget>

using namespace tomelens::core;

namespace {

class SortedLine : public QListWidgetItem {
public:
    SortedLine(const QString& text, int datum) : QListWidgetItem(text, nullptr, QListWidgetItem::UserType)
    {
        setData(Qt::UserRole, datum);
    }

    // The program's one list order. UTF-8 keeps the order of code points, so
    // entry names (all below 256) sort exactly as their Latin-1 bytes would.
    bool operator<(const QListWidgetItem& other) const override
    {
        const QByteArray mine = text().toUtf8();
        const QByteArray theirs = other.text().toUtf8();
        return ListTextLess(std::string_view(mine.constData(), static_cast<size_t>(mine.size())),
                            std::string_view(theirs.constData(), static_cast<size_t>(theirs.size())));
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
