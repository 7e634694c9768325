// Random archives, random edits, save, reload: every live entry comes back in
// its place with its name, data and checksum, whatever mix of empty entries,
// additions and deletions came before.
#include "ArchiveSuite.h"

#include <random>

using namespace archivetest;

namespace {

class RandomEdits {
public:
    explicit RandomEdits(unsigned seed) : m_random(seed) {}

    unsigned Pick(unsigned below) { return static_cast<unsigned>(m_random() % below); }

    Bytes Data()  // empty entries, four in ten, are the hard case for the layout
    {
        const unsigned kind = Pick(10);
        return kind < 4 ? Bytes() : PatternBytes(kind < 7 ? 1 + Pick(100) : 1 + Pick(20000), m_random(), Pick(2) * 4);
    }

    std::string Name()  // bytes, not text
    {
        std::string name;
        for (unsigned i = Pick(12); i > 0; --i)
            name += static_cast<char>(1 + Pick(255));
        return name;
    }

    // The model holds every position; a data result of -1 marks a deleted one.
    void Edit(DMDataFile& archive, std::vector<EntryState>& model)
    {
        const unsigned op = model.empty() ? 0 : Pick(5);
        const unsigned position = op == 0 ? archive.AddEntry() : Pick(static_cast<unsigned>(model.size()));
        if (op == 0) {
            ASSERT_EQ(position, model.size());
            model.push_back({});
        }
        DMDataFileEntry* entry = archive.GetEntry(position);
        EntryState& expected = model[position];
        if (op == 1) {
            archive.DelEntry(position);  // sometimes a second time: ignored
            expected.dataResult = -1;
        }
        if (op == 0 || op == 2) {
            expected.name = Name();
            entry->SetName(expected.name.c_str());
        }
        if (op == 0 || op == 3) {
            expected.data = Data();
            entry->SetData(expected.data.empty() ? nullptr : expected.data.data(),
                           static_cast<unsigned>(expected.data.size()));
        }
        if (op == 0 || op == 4) {
            expected.checkSum = static_cast<std::uint32_t>(m_random());
            entry->SetCheckSum(expected.checkSum);
        }
    }

private:
    std::mt19937 m_random;
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
    const std::string path = dir.File("round.dat");
    for (unsigned seed = 0; seed < 60; ++seed) {
        RandomEdits edits(seed);
        std::vector<EntryState> model;
        // (Archives with their directory in reverse are edited and saved in
        // the index and deletion tests.)
        DMDataFile first(nullptr);
        first.AddEntry();  // a never-loaded container's first element is its name list
        for (unsigned i = edits.Pick(8); i > 0; --i)
            edits.Edit(first, model);
        ASSERT_EQ(first.Save(path.c_str()), DMResult::Success);
        DMDataFile archive(nullptr);
        ASSERT_EQ(archive.Load(path.c_str()), DMResult::Success) << "seed " << seed;
        model = Live(model);  // the loaded container holds only what was live
        EXPECT_EQ(Live(Snapshot(archive)), model) << "seed " << seed << " initial";

        // Edit the same container over several saves: later rounds work on
        // entries that already live in a rewritten data area.
        for (int round = 0; round < 3; ++round) {
            const std::string context = "seed " + std::to_string(seed) + " round " + std::to_string(round);
            for (unsigned i = edits.Pick(10); i > 0; --i)
                edits.Edit(archive, model);
            ASSERT_EQ(archive.Save(path.c_str()), DMResult::Success) << context;
            const std::vector<EntryState> inMemory = Snapshot(archive, true);
            EXPECT_EQ(Live(inMemory), Live(model)) << context << " in memory";
            EXPECT_EQ(Reload(path), Live(inMemory, true)) << context << " reloaded";  // slots as held
        }
    }
}

}  // namespace
