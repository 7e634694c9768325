// The entry table's own order and filter, against a plain sort and filter of
// the listed entries, through random edits, sorts and patterns. The model
// tester checks every insertion, move, removal and layout change it signals.
#include "app/support/GuiFixture.h"
#include "archive/DMDataFile.h"
#include "archives/EntryTableModel.h"
#include "ListOrder.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

struct Listed {
    std::string name;
    unsigned size;
};

class ModelUnderEdits {
public:
    explicit ModelUnderEdits(const QString& path) : m_file(CreateDMDataFile(nullptr))
    {
        // A container takes entries once it holds an archive, even an empty one.
        const QByteArray name = QFile::encodeName(path);
        EXPECT_EQ(m_file->Save(name.constData()), 0);
        EXPECT_EQ(m_file->Load(name.constData()), 0);
    }
    ~ModelUnderEdits() { DestroyDMDataFile(m_file); }

    int NewEntry(const std::string& name, unsigned size)
    {
        const unsigned position = m_file->AddEntry();
        Set(position, name, size);
        return static_cast<int>(position);
    }
    void Set(unsigned position, const std::string& name, unsigned size)
    {
        DMDataFileEntry* entry = m_file->GetEntry(position);
        entry->SetName(name.c_str());
        const std::string data(size, 'x');
        entry->SetData(data.data(), size);
        m_listed[static_cast<int>(position)] = {name, size};
    }
    void Delete(int position)
    {
        m_file->DelEntry(static_cast<unsigned>(position));
        m_listed.erase(position);
    }
    DMDataFile& File() { return *m_file; }
    const DMDataFileEntry& Entry(int position) { return *m_file->GetEntry(static_cast<unsigned>(position)); }
    const std::map<int, Listed>& ListedEntries() const { return m_listed; }

private:
    DMDataFile* m_file;
    std::map<int, Listed> m_listed;  // by position
};

// The positions the table should show: names containing the (letters-only)
// pattern in any case, sorted by the column, then by name in the list order,
// then by position.
std::vector<int> Expected(const std::map<int, Listed>& listed, int column, Qt::SortOrder order, const std::string& pattern)
{
    const auto fold = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    std::vector<int> positions;
    for (const auto& [position, entry] : listed) {
        if (fold(entry.name).find(fold(pattern)) != std::string::npos)
            positions.push_back(position);
    }
    std::sort(positions.begin(), positions.end(), [&](int a, int b) {
        const Listed& x = listed.at(a);
        const Listed& y = listed.at(b);
        int key = column == EntryTableModel::SizeColumn ? (x.size < y.size ? -1 : x.size > y.size ? 1 : 0) : 0;
        if (key == 0)
            key = tomelens::core::CompareListText(x.name, y.name);
        if (key == 0)
            key = a < b ? -1 : 1;
        return order == Qt::AscendingOrder ? key < 0 : key > 0;
    });
    return positions;
}

std::vector<int> Shown(const EntryTableModel& model)
{
    std::vector<int> positions;
    for (int line = 0; line < model.rowCount(); ++line)
        positions.push_back(model.index(line, 0).data(EntryTableModel::PositionRole).toInt());
    return positions;
}

}  // namespace

TEST(EntryTableModel, ListsABigArchiveReadInPartsOnceEachInNameOrder)
{
    // Big enough to be read on several threads; deleted entries are not listed.
    QTemporaryDir dir;
    ModelUnderEdits edits(dir.filePath(QStringLiteral("big.pak")));
    std::mt19937 random(11);
    for (int i = 0; i < 40000; ++i)
        edits.NewEntry("entry_" + std::to_string(random() % 30000), static_cast<unsigned>(i % 7));
    for (int position = 0; position < 40000; position += 97)
        edits.Delete(position);
    EntryTableModel model;
    model.Fill(edits.File());
    EXPECT_EQ(Shown(model), Expected(edits.ListedEntries(), EntryTableModel::NameColumn, Qt::AscendingOrder, ""));
    for (int line = 0; line < model.rowCount(); line += 1001) {
        const int position = model.index(line, 0).data(EntryTableModel::PositionRole).toInt();
        EXPECT_EQ(model.index(line, 0).data().toString().toStdString(), edits.ListedEntries().at(position).name);
        EXPECT_EQ(model.index(line, EntryTableModel::SizeColumn).data().toString().toUInt(), edits.ListedEntries().at(position).size);
    }
}

TEST(EntryTableModel, KeepsItsOrderAndFilterThroughEditsAndKeepsTheSelection)
{
    QTemporaryDir dir;
    ModelUnderEdits edits(dir.filePath(QStringLiteral("edits.pak")));
    std::mt19937 random(7);
    const auto randomName = [&] {
        static const std::string kLetters = "aAbBcC_";
        std::string name;
        for (int i = std::uniform_int_distribution<int>(1, 4)(random); i > 0; --i)
            name += kLetters[std::uniform_int_distribution<size_t>(0, kLetters.size() - 1)(random)];
        return name;
    };
    const auto pick = [&](int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); };
    for (int i = 0; i < 150; ++i)
        edits.NewEntry(randomName(), static_cast<unsigned>(pick(6)));

    EntryTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QItemSelectionModel selection(&model);
    model.Fill(edits.File());
    int column = EntryTableModel::NameColumn;
    Qt::SortOrder order = Qt::AscendingOrder;
    std::string pattern;
    const char* const patterns[] = {"", "a", "B", "ab", "_c"};
    const auto listedPosition = [&] {
        auto at = edits.ListedEntries().begin();
        std::advance(at, pick(static_cast<int>(edits.ListedEntries().size())));
        return at->first;
    };

    for (int step = 0; step < 400; ++step) {
        // A selected line stays selected wherever an edit elsewhere moves it.
        int selected = -1;
        if (model.rowCount() > 0) {
            const QModelIndex line = model.index(pick(model.rowCount()), 0);
            selection.select(line, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            selected = line.data(EntryTableModel::PositionRole).toInt();
        }
        switch (pick(7)) {
        case 0:
            column = pick(2) == 0 ? EntryTableModel::NameColumn : EntryTableModel::SizeColumn;
            order = pick(2) == 0 ? Qt::AscendingOrder : Qt::DescendingOrder;
            model.sort(column, order);
            break;
        case 1:
            pattern = patterns[pick(5)];
            model.SetPattern(QString::fromStdString(pattern));
            break;
        case 2: {
            const int position = edits.NewEntry(randomName(), static_cast<unsigned>(pick(6)));
            model.Add(edits.Entry(position), position);
            break;
        }
        case 3: {
            // Few new lines go in one run at a time, many in one layout change.
            std::vector<std::pair<const DMDataFileEntry*, int>> added;
            for (int i = pick(2) == 0 ? 3 : 60; i > 0; --i) {
                const int position = edits.NewEntry(randomName(), static_cast<unsigned>(pick(6)));
                added.emplace_back(&edits.Entry(position), position);
            }
            model.AddMany(added);
            break;
        }
        case 4:
        case 5: {
            const int position = listedPosition();
            const Listed& now = edits.ListedEntries().at(position);
            if (pick(2) == 0)
                edits.Set(static_cast<unsigned>(position), randomName(), now.size);
            else
                edits.Set(static_cast<unsigned>(position), now.name, static_cast<unsigned>(pick(6)));
            model.Refresh(edits.Entry(position), position);
            break;
        }
        default: {
            std::vector<int> gone;
            for (int i = pick(2) == 0 ? 1 : 8; i > 0 && edits.ListedEntries().size() > 20; --i) {
                const int position = listedPosition();
                gone.push_back(position);
                edits.Delete(position);
            }
            model.Remove(gone);
            break;
        }
        }
        const std::vector<int> expected = Expected(edits.ListedEntries(), column, order, pattern);
        ASSERT_EQ(Shown(model), expected) << "step " << step;
        const int line = model.LineOf(selected);
        EXPECT_EQ(line >= 0 && selection.isRowSelected(line), line >= 0) << "step " << step;
    }
}
