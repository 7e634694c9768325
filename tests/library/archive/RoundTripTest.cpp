// Random archives, random edits, save, reload: every live entry comes back in
// its place with its name, data and checksum, whatever mix of empty entries,
// additions and deletions came before.
#include "ArchiveTestSupport.h"

#include "archive/DMDataFile.h"
#include "archive/DMResultCodes.h"

#include <gtest/gtest.h>

#include <random>

using namespace archivetest;

namespace {

struct Expected {
    std::string name;
    Bytes data;
    std::uint32_t checkSum = 0;
    bool live = true;
};

class RandomEdits {
public:
    RandomEdits(unsigned seed, const TempDir& dir) : m_random(seed), m_dir(dir) {}

    Bytes Data()
    {
        const unsigned kind = Pick(10);
        if (kind < 4)
            return {};  // empty entries are the hard case for the layout
        const std::size_t size = kind < 7 ? 1 + Pick(100) : 1 + Pick(20000);
        Bytes bytes(size);
        const unsigned style = Pick(3);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = style == 0 ? static_cast<unsigned char>(m_random())
                     : style == 1 ? static_cast<unsigned char>('a' + Pick(4))
                                  : static_cast<unsigned char>(i / 100);
        return bytes;
    }

    std::string Name()
    {
        std::string name;
        for (unsigned i = Pick(12); i > 0; --i)
            name += static_cast<char>(Pick(2) ? 'a' + Pick(26) : 0x80 + Pick(0x7F));  // bytes, not text
        return name;
    }

    void Add(DMDataFile& archive, std::vector<Expected>& model)
    {
        const unsigned position = archive.AddEntry();
        ASSERT_EQ(position, model.size());
        DMDataFileEntry* entry = archive.GetEntry(position);
        ASSERT_NE(entry, nullptr);
        Expected expected{Name(), Data(), static_cast<std::uint32_t>(m_random())};
        entry->SetName(expected.name.c_str());
        entry->SetCheckSum(expected.checkSum);
        if (Pick(4) == 0) {
            const std::string file = m_dir.File("input.bin");
            WriteFile(file, expected.data);
            ASSERT_EQ(entry->LoadData(file.c_str()), DMResult::Success);
        } else if (!expected.data.empty()) {
            entry->SetData(expected.data.data(), static_cast<unsigned>(expected.data.size()));
        }
        model.push_back(std::move(expected));
    }

    void Edit(DMDataFile& archive, std::vector<Expected>& model)
    {
        const unsigned op = Pick(6);
        if (op == 0 || model.empty()) {
            Add(archive, model);
            return;
        }
        const unsigned position = Pick(static_cast<unsigned>(model.size()));
        DMDataFileEntry* entry = archive.GetEntry(position);
        Expected& expected = model[position];
        switch (op) {
        case 1:
            archive.DelEntry(position);  // sometimes a second time: ignored
            expected.live = false;
            break;
        case 2:
            expected.name = Name();
            entry->SetName(expected.name.c_str());
            break;
        case 3:
            expected.data = Data();
            entry->SetData(expected.data.empty() ? nullptr : expected.data.data(),
                           static_cast<unsigned>(expected.data.size()));
            break;
        case 4:
            expected.checkSum = static_cast<std::uint32_t>(m_random());
            entry->SetCheckSum(expected.checkSum);
            break;
        default:
            Add(archive, model);
            break;
        }
    }

    unsigned Pick(unsigned below) { return static_cast<unsigned>(m_random() % below); }

private:
    std::mt19937 m_random;
    const TempDir& m_dir;
};

// The live entries in order; `skipDeleted` for a container still holding
// deleted entries at their positions.
void ExpectHolds(DMDataFile& archive, const std::vector<Expected>& model, const std::string& context,
                 bool skipDeleted = false)
{
    std::vector<Expected> live;
    for (const Expected& expected : model)
        if (expected.live)
            live.push_back(expected);
    const std::vector<EntryState> all = Snapshot(archive);
    std::vector<EntryState> actual;
    for (unsigned position = 0; position < all.size(); ++position)
        if (!skipDeleted || !archive.GetEntry(position)->Deleted())
            actual.push_back(all[position]);
    ASSERT_EQ(actual.size(), live.size()) << context;
    for (std::size_t i = 0; i < live.size(); ++i) {
        EXPECT_EQ(actual[i].name, live[i].name) << context << " position " << i;
        EXPECT_EQ(actual[i].data, live[i].data) << context << " position " << i;
        EXPECT_EQ(actual[i].checkSum, live[i].checkSum) << context << " position " << i;
        EXPECT_EQ(actual[i].dataResult, DMResult::Success) << context << " position " << i;
    }
}

TEST(RoundTrip, RandomEditsSurviveSaveAndReload)
{
    TempDir dir;
    for (unsigned seed = 0; seed < 150; ++seed) {
        RandomEdits edits(seed, dir);
        const std::string path = dir.File("round" + std::to_string(seed % 3) + ".dat");
        std::vector<Expected> model;
        DMDataFile archive(nullptr);

        // Start from an archive on disk: written by us, or laid out by hand
        // with its directory in reverse.
        if (edits.Pick(3) == 0) {
            std::vector<PlainEntry> entries;
            for (unsigned i = edits.Pick(6); i > 0; --i) {
                Bytes data = edits.Data();
                if (data.empty())
                    data.push_back('x');  // the hand layout has no tie handling
                entries.push_back({edits.Name(), data, static_cast<std::uint32_t>(seed * 100 + i)});
                model.push_back({entries.back().name, entries.back().data, entries.back().checkSum});
            }
            WriteFile(path, MakeArchive(entries, true).Serialize());
        } else {
            DMDataFile first(nullptr);
            first.AddEntry();  // a never-loaded container's first element is its name list
            for (unsigned i = edits.Pick(8); i > 0; --i)
                edits.Add(first, model);
            ASSERT_EQ(first.Save(path.c_str()), DMResult::Success);
        }
        ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success) << "seed " << seed;
        ExpectHolds(archive, model, "seed " + std::to_string(seed) + " initial");

        // Edit the same container over several saves: later rounds work on
        // entries that already live in a rewritten data area.
        for (int round = 0; round < 3; ++round) {
            for (unsigned i = edits.Pick(10); i > 0; --i)
                edits.Edit(archive, model);
            const std::string context = "seed " + std::to_string(seed) + " round " + std::to_string(round);
            ASSERT_EQ(archive.Save(path.c_str()), DMResult::Success) << context;
            ExpectHolds(archive, model, context + " in memory", true);

            DMDataFile reloaded(nullptr);
            ASSERT_EQ(reloaded.Load(path.c_str()), DMResult::Success) << context;
            ExpectHolds(reloaded, model, context + " reloaded");
            // Slots written are the slots the container now holds.
            std::vector<std::uint32_t> savedSlots;
            for (unsigned p = 0; p < archive.GetNumEntries(); ++p)
                if (!archive.GetEntry(p)->Deleted())
                    savedSlots.push_back(archive.GetEntry(p)->GetIndex());
            std::vector<std::uint32_t> loadedSlots;
            for (const EntryState& state : Snapshot(reloaded))
                loadedSlots.push_back(state.index);
            EXPECT_EQ(loadedSlots, savedSlots) << context;
        }
    }
}

}  // namespace
