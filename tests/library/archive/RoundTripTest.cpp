// Random archives, random edits, save, reload: every live entry comes back in
// its place with its name, data and checksum, whatever mix of empty entries,
// additions and deletions came before.
#include "ArchiveSuite.h"

#include <random>

using namespace archivetest;

namespace {

class RandomEdits {
public:
    RandomEdits(unsigned seed, const TempDir& dir) : m_random(seed), m_dir(dir) {}

    unsigned Pick(unsigned below) { return static_cast<unsigned>(m_random() % below); }

    Bytes Data()
    {
        const unsigned kind = Pick(10);
        if (kind < 4)
            return {};  // empty entries are the hard case for the layout
        const std::size_t size = kind < 7 ? 1 + Pick(100) : 1 + Pick(20000);
        Bytes bytes(size);
        const unsigned style = Pick(3);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<unsigned char>(style == 0 ? m_random() : style == 1 ? 'a' + Pick(4) : i / 100);
        return bytes;
    }

    std::string Name()
    {
        std::string name;
        for (unsigned i = Pick(12); i > 0; --i)
            name += static_cast<char>(Pick(2) ? 'a' + Pick(26) : 0x80 + Pick(0x7F));  // bytes, not text
        return name;
    }

    // The model holds every position; a data result of -1 marks a deleted one.
    void Add(DMDataFile& archive, std::vector<EntryState>& model)
    {
        const unsigned position = archive.AddEntry();
        ASSERT_EQ(position, model.size());
        DMDataFileEntry* entry = archive.GetEntry(position);
        EntryState expected{Name(), Data(), static_cast<std::uint32_t>(m_random())};
        entry->SetName(expected.name.c_str());
        entry->SetCheckSum(expected.checkSum);
        if (Pick(4) == 0) {
            WriteFile(m_dir.File("input.bin"), expected.data);
            ASSERT_EQ(entry->LoadData(m_dir.File("input.bin").c_str()), DMResult::Success);
        } else if (!expected.data.empty()) {
            entry->SetData(expected.data.data(), static_cast<unsigned>(expected.data.size()));
        }
        model.push_back(std::move(expected));
    }

    void Edit(DMDataFile& archive, std::vector<EntryState>& model)
    {
        const unsigned op = model.empty() ? 0 : Pick(6);
        if (op == 0 || op == 5)
            return Add(archive, model);
        const unsigned position = Pick(static_cast<unsigned>(model.size()));
        DMDataFileEntry* entry = archive.GetEntry(position);
        EntryState& expected = model[position];
        if (op == 1) {
            archive.DelEntry(position);  // sometimes a second time: ignored
            expected.dataResult = -1;    // marks the model's entry deleted
        } else if (op == 2) {
            expected.name = Name();
            entry->SetName(expected.name.c_str());
        } else if (op == 3) {
            expected.data = Data();
            entry->SetData(expected.data.empty() ? nullptr : expected.data.data(),
                           static_cast<unsigned>(expected.data.size()));
        } else {
            expected.checkSum = static_cast<std::uint32_t>(m_random());
            entry->SetCheckSum(expected.checkSum);
        }
    }

private:
    std::mt19937 m_random;
    const TempDir& m_dir;
};

// Names, data and checksums of the live entries, in order; slots compared apart.
std::vector<EntryState> Live(std::vector<EntryState> states, bool keepIndex = false)
{
    std::erase_if(states, [](const EntryState& s) { return s.dataResult == -1; });
    for (EntryState& state : states)
        state.index = keepIndex ? state.index : 0;
    return states;
}

TEST(RoundTrip, RandomEditsSurviveSaveAndReload)
{
    TempDir dir;
    for (unsigned seed = 0; seed < 150; ++seed) {
        RandomEdits edits(seed, dir);
        const std::string path = dir.File("round" + std::to_string(seed % 3) + ".dat");
        std::vector<EntryState> model;

        // Start from an archive on disk: written by us, or laid out by hand
        // with its directory in reverse.
        if (edits.Pick(3) == 0) {
            std::vector<PlainEntry> entries;
            for (unsigned i = edits.Pick(6); i > 0; --i) {
                Bytes data = edits.Data();
                if (data.empty())
                    data.push_back('x');  // the hand layout has no tie handling
                entries.push_back({edits.Name(), data, seed * 100 + i});
                model.push_back({entries.back().name, data, entries.back().checkSum});
            }
            MakeArchive(entries, true).WriteTo(path);
        } else {
            DMDataFile first(nullptr);
            first.AddEntry();  // a never-loaded container's first element is its name list
            for (unsigned i = edits.Pick(8); i > 0; --i)
                edits.Add(first, model);
            ASSERT_EQ(first.Save(path.c_str()), DMResult::Success);
        }
        DMDataFile archive(nullptr);
        ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success) << "seed " << seed;
        EXPECT_EQ(Live(Snapshot(archive)), Live(model)) << "seed " << seed << " initial";

        // Edit the same container over several saves: later rounds work on
        // entries that already live in a rewritten data area.
        for (int round = 0; round < 3; ++round) {
            const std::string context = "seed " + std::to_string(seed) + " round " + std::to_string(round);
            for (unsigned i = edits.Pick(10); i > 0; --i)
                edits.Edit(archive, model);
            ASSERT_EQ(archive.Save(path.c_str()), DMResult::Success) << context;
            const std::vector<EntryState> inMemory = Snapshot(archive, true);
            EXPECT_EQ(Live(inMemory), Live(model)) << context << " in memory";
            // Slots written are the slots the container now holds.
            EXPECT_EQ(Reload(path), Live(inMemory, true)) << context << " reloaded";
        }
    }
}

}  // namespace
