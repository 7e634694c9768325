#include "modding/Diff.h"

#include "EntryNameCodec.h"
#include "RegularFile.h"
#include "engine/ArchiveFile.h"
#include "engine/LibraryMessages.h"

#include "archive/DMResultCodes.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace tomelens::core {

namespace {

constexpr std::size_t kChunk = 1u << 20;

// Entries of both archives that carry the same name, paired in data order.
struct Pair {
    unsigned a = 0;
    unsigned b = 0;
};

// Marks the pairs that are not in a longest run of increasing B positions
// (taken in A's order): the fewest entries that must have moved.
std::vector<bool> MovedPairs(const std::vector<Pair>& pairs)
{
    std::vector<std::size_t> tails;  // index of the pair ending the best run of each length
    std::vector<std::size_t> before(pairs.size(), SIZE_MAX);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), pairs[i].b,
                                         [&](std::size_t k, unsigned b) { return pairs[k].b < b; });
        if (at != tails.begin())
            before[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> moved(pairs.size(), true);
    for (std::size_t k = tails.empty() ? SIZE_MAX : tails.back(); k != SIZE_MAX; k = before[k])
        moved[k] = false;
    return moved;
}

// Reads packed extents straight from an archive file.
class RawReader {
public:
    bool Open(const std::string& path) { return (m_file = OpenRegularFile(path)) != nullptr; }

    bool Read(std::uint64_t offset, unsigned char* dest, std::size_t length)
    {
        if (m_at != offset && !Seek(offset))
            return false;
        const bool ok = std::fread(dest, 1, length, m_file.get()) == length;
        m_at = ok ? offset + length : ~0ull;
        return ok;
    }

private:
    bool Seek(std::uint64_t offset)
    {
#ifdef _WIN32
        return _fseeki64(m_file.get(), static_cast<long long>(offset), SEEK_SET) == 0;
#else
        return fseeko(m_file.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
    }

    UniqueFile m_file;
    std::uint64_t m_at = ~0ull;
};

// Feeds the plain bytes of one entry (inflated on a thread of its own) to
// whoever compares them with the other's, holding a few MiB at most.
class PlainChannel {
public:
    // Producer side: a DMDataSink.
    static int Put(void* context, const void* bytes, unsigned length)
    {
        auto& self = *static_cast<PlainChannel*>(context);
        std::unique_lock lock(self.m_mutex);
        self.m_changed.wait(lock, [&] { return self.m_pending < 4 * kChunk || self.m_stop; });
        if (self.m_stop)
            return kStopped;
        const auto* p = static_cast<const unsigned char*>(bytes);
        self.m_chunks.emplace_back(p, p + length);
        self.m_pending += length;
        self.m_changed.notify_all();
        return 0;
    }

    void Finish(int code)
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
        m_code = code;
        m_changed.notify_all();
    }

    // Consumer side: true when the next bytes equal `bytes`.
    bool Match(const unsigned char* bytes, std::size_t length)
    {
        std::unique_lock lock(m_mutex);
        while (length > 0) {
            m_changed.wait(lock, [&] { return !m_chunks.empty() || m_finished; });
            if (m_chunks.empty())
                return false;
            std::vector<unsigned char>& front = m_chunks.front();
            const std::size_t n = std::min(length, front.size() - m_frontUsed);
            if (std::memcmp(front.data() + m_frontUsed, bytes, n) != 0)
                return false;
            bytes += n;
            length -= n;
            m_frontUsed += n;
            m_pending -= n;
            if (m_frontUsed == front.size()) {
                m_chunks.pop_front();
                m_frontUsed = 0;
            }
            m_changed.notify_all();
        }
        return true;
    }

    void Stop()
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }

    static constexpr int kStopped = 1000;
    int Code() const { return m_code; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<unsigned char>> m_chunks;
    std::size_t m_frontUsed = 0;
    std::size_t m_pending = 0;
    bool m_finished = false;
    bool m_stop = false;
    int m_code = 0;
};

struct MatchContext {
    PlainChannel* channel;
    bool differs = false;
};

int MatchAgainst(void* context, const void* bytes, unsigned length)
{
    auto& match = *static_cast<MatchContext*>(context);
    if (match.channel->Match(static_cast<const unsigned char*>(bytes), length))
        return 0;
    match.differs = true;
    return PlainChannel::kStopped;
}

class Comparer {
public:
    Comparer(DMDataFile& a, DMDataFile& b, const std::string& pathA, const std::string& pathB,
             ProgressReporter& reporter)
        : m_a(a), m_b(b), m_pathA(pathA), m_pathB(pathB), m_reporter(reporter)
    {
    }

    Outcome Open()
    {
        if (!m_rawA.Open(m_pathA))
            return Outcome::Failure(Step::Open, m_pathA, "cannot be opened");
        if (!m_rawB.Open(m_pathB))
            return Outcome::Failure(Step::Open, m_pathB, "cannot be opened");
        return Outcome::Success();
    }

    // Sets `same` when the two entries (of equal length) hold the same plain bytes.
    Outcome SameData(unsigned positionA, unsigned positionB, bool& same)
    {
        const DMDataFileEntry& a = *m_a.GetEntry(positionA);
        const DMDataFileEntry& b = *m_b.GetEntry(positionB);
        if (a.GetPackedLength() == b.GetPackedLength()) {
            Outcome read = SamePackedBytes(a, b, same);
            if (!read.Ok() || same)
                return read;
        }
        if (a.GetLength() <= kWholeEntry)
            return SameUnpacked(a, b, same);
        return SameInflated(a, b, same);
    }

private:
    Outcome SamePackedBytes(const DMDataFileEntry& a, const DMDataFileEntry& b, bool& same)
    {
        m_bufferA.resize(kChunk);
        m_bufferB.resize(kChunk);
        const std::uint64_t length = a.GetPackedLength();
        same = true;
        for (std::uint64_t done = 0; done < length && same;) {
            const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, length - done));
            if (!m_rawA.Read(12 + std::uint64_t(a.GetOffset()) + done, m_bufferA.data(), piece))
                return Outcome::Failure(Step::Read, m_pathA, "cannot be read in full");
            if (!m_rawB.Read(12 + std::uint64_t(b.GetOffset()) + done, m_bufferB.data(), piece))
                return Outcome::Failure(Step::Read, m_pathB, "cannot be read in full");
            same = std::memcmp(m_bufferA.data(), m_bufferB.data(), piece) == 0;
            done += piece;
            if (!m_reporter.Advance(2 * piece))
                return Outcome::Cancelled();
        }
        return Outcome::Success();
    }

    // Entries up to this size are inflated whole, side by side; larger ones
    // stream through PlainChannel so memory stays bounded.
    static constexpr std::uint32_t kWholeEntry = 4u << 20;

    Outcome SameUnpacked(const DMDataFileEntry& a, const DMDataFileEntry& b, bool& same)
    {
        m_plainA.resize(a.GetLength());
        m_plainB.resize(b.GetLength());
        if (const int code = a.GetData(m_plainA.data()); code != DMResult::Success)
            return Outcome::Failure(Step::Inflate, m_pathA + ": entry \"" + EntryNameToUtf8(a.GetName()) + "\"",
                                    EntryDataMessage(code));
        if (const int code = b.GetData(m_plainB.data()); code != DMResult::Success)
            return Outcome::Failure(Step::Inflate, m_pathB + ": entry \"" + EntryNameToUtf8(b.GetName()) + "\"",
                                    EntryDataMessage(code));
        same = m_plainA == m_plainB;
        return m_reporter.Advance(std::uint64_t(a.GetPackedLength()) + b.GetPackedLength()) ? Outcome::Success()
                                                                                             : Outcome::Cancelled();
    }

    Outcome SameInflated(const DMDataFileEntry& a, const DMDataFileEntry& b, bool& same)
    {
        PlainChannel channel;
        std::thread producer([&] { channel.Finish(b.ReadData(&PlainChannel::Put, &channel)); });
        MatchContext match{&channel};
        const int codeA = a.ReadData(&MatchAgainst, &match);
        // When A ran to its end matching, B has handed over all its bytes and
        // only its own final checks remain; otherwise B is told to stop.
        if (codeA != DMResult::Success || match.differs)
            channel.Stop();
        producer.join();
        m_reporter.Advance(std::uint64_t(a.GetPackedLength()) + b.GetPackedLength());
        if (channel.Code() != DMResult::Success && channel.Code() != PlainChannel::kStopped)
            return Outcome::Failure(Step::Inflate, m_pathB + ": entry \"" + EntryNameToUtf8(b.GetName()) + "\"",
                                    EntryDataMessage(channel.Code()));
        if (codeA != DMResult::Success && !match.differs)
            return Outcome::Failure(Step::Inflate, m_pathA + ": entry \"" + EntryNameToUtf8(a.GetName()) + "\"",
                                    EntryDataMessage(codeA));
        same = !match.differs;
        return m_reporter.Cancelled() ? Outcome::Cancelled() : Outcome::Success();
    }

    DMDataFile& m_a;
    DMDataFile& m_b;
    std::string m_pathA, m_pathB;
    ProgressReporter& m_reporter;
    RawReader m_rawA, m_rawB;
    std::vector<unsigned char> m_bufferA, m_bufferB;
    std::vector<unsigned char> m_plainA, m_plainB;
};

Outcome DiffBody(const std::string& pathA, const std::string& pathB, std::vector<EntryDifference>& differences,
                 const ProgressCallback& progress)
{
    differences.clear();
    DataFilePtr a, b;
    if (Outcome opened = OpenArchive(pathA, LoadMode::Index, a); !opened.Ok())
        return opened;
    if (Outcome opened = OpenArchive(pathB, LoadMode::Index, b); !opened.Ok())
        return opened;

    std::unordered_map<std::string, std::deque<unsigned>> inB;
    for (unsigned i = 0; i < b->GetNumEntries(); ++i)
        inB[b->GetEntry(i)->GetName()].push_back(i);
    std::vector<Pair> pairs;
    std::vector<bool> matchedB(b->GetNumEntries(), false);
    std::vector<EntryDifference> onlyA;
    std::uint64_t total = 0;
    for (unsigned i = 0; i < a->GetNumEntries(); ++i) {
        const DMDataFileEntry& entry = *a->GetEntry(i);
        auto found = inB.find(entry.GetName());
        if (found == inB.end() || found->second.empty()) {
            onlyA.push_back({EntryDifference::Kind::OnlyInA, entry.GetName(), i, EntryDifference::kNoPosition,
                             entry.GetLength(), 0, entry.GetCheckSum(), 0, 0});
            continue;
        }
        pairs.push_back({i, found->second.front()});
        matchedB[found->second.front()] = true;
        found->second.pop_front();
        total += 2ull * entry.GetPackedLength();
    }
    const std::vector<bool> moved = MovedPairs(pairs);

    ProgressReporter reporter(progress, pairs.size(), total);
    Comparer comparer(*a, *b, pathA, pathB, reporter);
    if (Outcome opened = comparer.Open(); !opened.Ok())
        return opened;
    std::vector<EntryDifference> changed;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const DMDataFileEntry& ea = *a->GetEntry(pairs[k].a);
        const DMDataFileEntry& eb = *b->GetEntry(pairs[k].b);
        unsigned what = moved[k] ? unsigned(kDiffPosition) : 0u;
        if (ea.GetCheckSum() != eb.GetCheckSum())
            what |= kDiffCheckSum;
        if (ea.GetLength() != eb.GetLength()) {
            what |= kDiffSize | kDiffData;
        } else {
            bool same = false;
            if (Outcome compared = comparer.SameData(pairs[k].a, pairs[k].b, same); !compared.Ok())
                return compared;
            if (!same)
                what |= kDiffData;
        }
        if (!reporter.Advance(0, 1, ea.GetName()))
            return Outcome::Cancelled();
        if (what)
            changed.push_back({EntryDifference::Kind::Changed, ea.GetName(), pairs[k].a, pairs[k].b, ea.GetLength(),
                               eb.GetLength(), ea.GetCheckSum(), eb.GetCheckSum(), what});
    }

    // A's entries in its order (only-in-A and changed interleaved), then B's own.
    std::merge(onlyA.begin(), onlyA.end(), changed.begin(), changed.end(), std::back_inserter(differences),
               [](const EntryDifference& x, const EntryDifference& y) { return x.positionA < y.positionA; });
    for (unsigned i = 0; i < b->GetNumEntries(); ++i) {
        if (matchedB[i])
            continue;
        const DMDataFileEntry& entry = *b->GetEntry(i);
        differences.push_back({EntryDifference::Kind::OnlyInB, entry.GetName(), EntryDifference::kNoPosition, i, 0,
                               entry.GetLength(), 0, entry.GetCheckSum(), 0});
    }
    reporter.Flush();
    return Outcome::Success(pairs.size());
}

}  // namespace

Outcome DiffArchives(const std::string& pathA, const std::string& pathB, std::vector<EntryDifference>& differences,
                     const ProgressCallback& progress)
{
    return Guarded([&] { return DiffBody(pathA, pathB, differences, progress); });
}

}  // namespace tomelens::core
