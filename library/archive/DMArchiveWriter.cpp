#include "archive/DMArchiveWriter.h"

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveLimits.h"
#include "archive/AtomicFileWriter.h"
#include "archive/ArchiveSource.h"
#include "archive/BlockCodec.h"
#include "archive/DMDataFileInternals.h"
#include "archive/DMResultCodes.h"
#include "archive/LastError.h"
#include "archive/ParallelPack.h"
#include "archive/PositionalRead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <functional>
#include <new>
#include <vector>

using namespace tomelens::archive;

namespace {

// Plain bytes gathered before they are packed on every core at once: large
// enough to keep the threads busy, small enough to bound the memory.
constexpr std::size_t kBatchBytes = 8u << 20;

constexpr std::uint32_t kNextSlot = ~0u;
constexpr std::size_t kStagedBytes = 1u << 20;
constexpr std::uint64_t kReadPiece = 1u << 20;

struct Record {
    std::uint32_t checkSum = 0;
    std::uint32_t offset = 0;  // within the data area
    std::uint32_t length = 0;
    std::uint32_t slot = kNextSlot;
};

// A run of one entry's plain bytes in the batch, starting on a block boundary
// of the entry, so packing it alone gives the same blocks as packing the whole.
struct Segment {
    std::size_t start = 0;
    std::uint32_t length = 0;
    bool first = false;  // the entry's first bytes: its offset is known once written
    std::size_t record = 0;
};

}  // namespace

struct DMArchiveWriter::State {
    AtomicFileWriter out;
    bool failed = false;
    bool inEntry = false;
    std::vector<Record> records;
    std::vector<unsigned char> names{0, 0, 0, 0};  // the name list, count word first
    std::vector<unsigned char> batch;
    std::vector<Segment> segments;
    std::size_t entryStart = 0;    // where the open entry's unsegmented bytes begin in batch
    bool entryHasSegment = false;
    std::deque<std::size_t> unplaced;  // records whose offset waits for the next bytes written
    std::uint64_t area = 0;        // packed bytes written after the header
    std::uint64_t plain = 0;
    std::uint32_t nameListSlot = 0;
    std::vector<unsigned char> signature;
    // Small writes gathered into one, so copying many small entries is not a
    // system call each.
    std::vector<unsigned char> staged;
    // The last piece read from a copied entry's file, which usually holds the
    // next entries too: their extents lie back to back.
    const ArchiveSource* cachedSource = nullptr;
    std::uint64_t cachedAt = 0;
    std::vector<unsigned char> cached;

    bool Put(const unsigned char* bytes, std::uint64_t length)
    {
        if (staged.size() + length > kStagedBytes && !Drain())
            return false;
        if (length >= kStagedBytes)
            return out.Write(bytes, length);
        staged.insert(staged.end(), bytes, bytes + length);
        return true;
    }

    bool Drain()
    {
        const bool written = staged.empty() || out.Write(staged.data(), staged.size());
        staged.clear();
        return written;
    }

    // Copies `length` packed bytes from `at` in the source file.
    int CopyFrom(const ArchiveSource& source, std::uint64_t at, std::uint64_t length)
    {
        while (length > 0) {
            if (&source != cachedSource || at < cachedAt || at >= cachedAt + cached.size()) {
                cached.resize(kReadPiece);
                const std::uint64_t got = ReadAt(source.file.Get(), cached.data(), kReadPiece, at);
                cached.resize(got);
                cachedSource = &source;
                cachedAt = at;
                if (got == 0)
                    return Fail(DMResult::ShortRead);
            }
            const std::uint64_t from = at - cachedAt;
            const std::uint64_t piece = std::min<std::uint64_t>(length, cached.size() - from);
            if (const int result = WritePacked(cached.data() + from, piece); result != DMResult::Success)
                return result;
            at += piece;
            length -= piece;
        }
        return DMResult::Success;
    }

    int Fail(int code = DMResult::ShortWrite)
    {
        failed = true;
        return code;
    }

    // The data area may not push the file past the format's limit.
    bool Fits(std::uint64_t areaBytes) const
    {
        const std::uint64_t fixed = kHeaderSize + kCountSize + std::uint64_t(kRecordSize) * (records.size() + 1);
        return fixed < MaxArchiveFileSize() && areaBytes <= MaxArchiveFileSize() - fixed;
    }

    // Records up to `last` start here: the empty ones share the offset of the
    // bytes that follow them.
    void Place(std::size_t last = ~std::size_t(0))
    {
        while (!unplaced.empty() && unplaced.front() <= last) {
            records[unplaced.front()].offset = static_cast<std::uint32_t>(area);
            unplaced.pop_front();
        }
    }

    // Cuts the open entry's gathered bytes into a segment: all of them when it
    // ends, else its whole blocks only.
    void Cut(bool entryEnds)
    {
        std::size_t length = batch.size() - entryStart;
        if (!entryEnds)
            length -= length % kBlockSize;
        if (length == 0)
            return;
        segments.push_back({entryStart, static_cast<std::uint32_t>(length), !entryHasSegment, records.size() - 1});
        entryHasSegment = true;
        entryStart += length;
    }

    // Packs the cut segments on every core and writes them in order.
    int Flush()
    {
        if (segments.empty())
            return DMResult::Success;
        std::vector<PackJob> jobs;
        jobs.reserve(segments.size());
        for (const Segment& segment : segments)
            jobs.push_back({batch.data() + segment.start, segment.length});
        const std::vector<tomelens::archive::PackedBytes> packed = PackInParallel(jobs);
        for (std::size_t i = 0; i < segments.size(); ++i) {
            if (segments[i].first)
                Place(segments[i].record);
            if (!Fits(area + packed[i].size)) {
                RecordSystemError(EFBIG);
                return Fail();
            }
            if (!Put(packed[i].bytes.get(), packed[i].size))
                return Fail();
            area += packed[i].size;
        }
        // Keep the open entry's partial block for the next batch.
        const std::size_t kept = entryStart;
        batch.erase(batch.begin(), batch.begin() + static_cast<std::ptrdiff_t>(kept));
        entryStart -= kept;
        segments.clear();
        return DMResult::Success;
    }

    // Adds the entry's name and record; the caller gives it bytes.
    int AddRecord(const char* name, unsigned checkSum, std::uint32_t length)
    {
        const std::size_t nameLength = name ? std::strlen(name) : 0;
        const std::size_t at = names.size();
        if (at + 4 + nameLength + 1 > kMaxFileSize || !Fits(area)) {
            RecordSystemError(EFBIG);
            return Fail();
        }
        names.resize(at + 4 + nameLength + 1);
        WriteWord(names.data() + at, static_cast<std::uint32_t>(nameLength + 1));
        if (nameLength > 0)
            std::memcpy(names.data() + at + 4, name, nameLength);
        names.back() = 0;
        records.push_back({checkSum, 0, length, kNextSlot});
        unplaced.push_back(records.size() - 1);
        return DMResult::Success;
    }

    // Writes packed bytes as they are, after everything gathered before them.
    int WritePacked(const unsigned char* bytes, std::uint64_t length)
    {
        if (!Fits(area + length)) {
            RecordSystemError(EFBIG);
            return Fail();
        }
        Place(records.size() - 1);
        if (!Put(bytes, length))
            return Fail();
        area += length;
        return DMResult::Success;
    }

    int EndEntry()
    {
        if (!inEntry)
            return DMResult::Success;
        inEntry = false;
        Cut(true);
        return DMResult::Success;
    }
};

DMArchiveWriter::DMArchiveWriter() = default;
DMArchiveWriter::~DMArchiveWriter() = default;

template <class Body>
static int Guard(Body&& body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        RecordSystemError(ENOMEM);
        return DMResult::ShortWrite;
    } catch (...) {
        return DMResult::ShortWrite;
    }
}

int DMArchiveWriter::Open(const char* path)
{
    ClearSystemError();
    return Guard([&] {
        m_state.reset();
        if (!path)
            return DMResult::CannotOpen;
        auto state = std::make_unique<State>();
        if (const int result = state->out.Open(path, KeepTimes::Yes); result != DMResult::Success)
            return result;
        // The header's numbers are known only at the end; its place is kept.
        const unsigned char header[kHeaderSize] = {};
        if (!state->out.Write(header, kHeaderSize))
            return static_cast<int>(DMResult::ShortWrite);
        m_state = std::move(state);
        return DMResult::Success;
    });
}

int DMArchiveWriter::BeginEntry(const char* name, unsigned checkSum)
{
    return Guard([&] {
        State* state = m_state.get();
        if (!state || state->failed)
            return DMResult::ShortWrite;
        state->EndEntry();
        if (const int result = state->AddRecord(name, checkSum, 0); result != DMResult::Success)
            return result;
        state->inEntry = true;
        state->entryStart = state->batch.size();
        state->entryHasSegment = false;
        return DMResult::Success;
    });
}

int DMArchiveWriter::Write(const void* plain, unsigned length)
{
    return Guard([&] {
        State* state = m_state.get();
        if (!state || state->failed || !state->inEntry)
            return DMResult::ShortWrite;
        Record& record = state->records.back();
        if (std::uint64_t(record.length) + length > kMaxFileSize) {
            RecordSystemError(EFBIG);
            return state->Fail();
        }
        const auto* bytes = static_cast<const unsigned char*>(plain);
        record.length += length;
        state->plain += length;
        while (length > 0) {
            const std::size_t room = kBatchBytes - std::min(kBatchBytes, state->batch.size());
            const auto piece = static_cast<unsigned>(std::min<std::size_t>(room, length));
            state->batch.insert(state->batch.end(), bytes, bytes + piece);
            bytes += piece;
            length -= piece;
            if (state->batch.size() >= kBatchBytes) {
                state->Cut(false);
                if (const int result = state->Flush(); result != DMResult::Success)
                    return result;
            }
        }
        return DMResult::Success;
    });
}

int DMArchiveWriter::CopyEntry(DMDataFile& from, unsigned position)
{
    return Guard([&] {
        State* state = m_state.get();
        const DMDataFileEntry* entry = from.GetEntry(position);
        if (!state || state->failed || !entry)
            return DMResult::ShortWrite;
        if (!DMDataFileInternals::HoldsPackedOnly(*entry)) {
            // New data, or none: packed like any entry.
            if (const int result = BeginEntry(entry->GetName(), entry->GetCheckSum()); result != DMResult::Success)
                return result;
            const unsigned char* plain = DMDataFileInternals::Unpacked(*entry);
            const int result = plain ? Write(plain, entry->GetLength()) : DMResult::Success;
            state->EndEntry();
            return result;
        }
        state->EndEntry();
        if (const int result = state->Flush(); result != DMResult::Success)
            return result;
        if (const int result = state->AddRecord(entry->GetName(), entry->GetCheckSum(), entry->GetLength());
            result != DMResult::Success)
            return result;
        state->plain += entry->GetLength();
        const std::uint64_t length = entry->GetPackedLength();
        if (const unsigned char* view = DMDataFileInternals::View(*entry))
            return state->WritePacked(view, length);
        const ArchiveSource* source = DMDataFileInternals::Source(*entry);
        if (const int result = state->CopyFrom(*source, DMDataFileInternals::SourceOffset(*entry), length);
            result != DMResult::Success)
            return result;
        if (length == 0)
            state->Place(state->records.size() - 1);
        return DMResult::Success;
    });
}

void DMArchiveWriter::SetSlot(unsigned slot)
{
    if (m_state && !m_state->records.empty())
        m_state->records.back().slot = slot;
}

void DMArchiveWriter::SetNameListSlot(unsigned slot)
{
    if (m_state)
        m_state->nameListSlot = slot;
}

void DMArchiveWriter::SetSignature(const void* data, unsigned length)
{
    if (m_state) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        m_state->signature.assign(bytes, bytes + length);
    }
}

int DMArchiveWriter::Finish()
{
    return Guard([&] {
        std::unique_ptr<State> owned = std::move(m_state);
        State* state = owned.get();
        if (!state || state->failed)
            return DMResult::ShortWrite;
        state->EndEntry();
        if (const int result = state->Flush(); result != DMResult::Success)
            return result;
        state->Place();

        // The name list: last in the data area, first in the directory.
        const std::size_t count = state->records.size();
        WriteWord(state->names.data(), static_cast<std::uint32_t>(count));
        const auto listLength = static_cast<std::uint32_t>(state->names.size());
        std::vector<unsigned char> list(PackedSizeBound(listLength));
        std::uint64_t listPacked = 0;
        PackBlocks(state->names.data(), listLength, list.data(), list.size(), listPacked);
        if (!state->Fits(state->area + listPacked)) {
            RecordSystemError(EFBIG);
            return static_cast<int>(DMResult::ShortWrite);
        }
        state->records.push_back({0, static_cast<std::uint32_t>(state->area), listLength, state->nameListSlot});
        if (!state->Put(list.data(), listPacked) || !state->Drain())
            return static_cast<int>(DMResult::ShortWrite);
        const std::uint64_t areaLength = state->area + listPacked;

        // Entries take slots 1 to M in order and the name list slot 0, as in a
        // new container; among elements sharing an offset (empty entries and
        // the one after them) the slots go in descending order, since readers
        // put the later record first.
        const std::vector<Record>& records = state->records;
        std::vector<std::uint32_t> slots(records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            slots[i] = records[i].slot != kNextSlot ? records[i].slot : static_cast<std::uint32_t>(i + 1);
        std::size_t groupStart = 0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const bool last = i + 1 == records.size();
            if (!last && records[i + 1].offset == records[i].offset)
                continue;
            std::sort(slots.begin() + groupStart, slots.begin() + i + 1, std::greater<>());
            groupStart = i + 1;
        }
        std::vector<bool> taken(records.size(), false);
        for (const std::uint32_t slot : slots) {
            if (slot >= records.size() || taken[slot])
                return static_cast<int>(DMResult::NoDirectory);
            taken[slot] = true;
        }
        std::vector<unsigned char> directory(kCountSize + kRecordSize * records.size());
        WriteWord(directory.data(), static_cast<std::uint32_t>(records.size()));
        for (std::size_t i = 0; i < records.size(); ++i) {
            unsigned char* at = directory.data() + kCountSize + kRecordSize * slots[i];
            WriteWord(at, records[i].checkSum);
            WriteWord(at + 4, kHeaderSize + records[i].offset);
            WriteWord(at + 8, records[i].length);
        }
        if (!state->out.Write(directory.data(), directory.size())
            || !state->out.Write(state->signature.data(), state->signature.size()))
            return static_cast<int>(DMResult::ShortWrite);
        unsigned char header[kHeaderSize];
        WriteWord(header, static_cast<std::uint32_t>(kHeaderSize + areaLength));
        WriteWord(header + 4, kMagic);
        WriteWord(header + 8, kVersion);
        if (!state->out.WriteAt(0, header, kHeaderSize))
            return static_cast<int>(DMResult::ShortWrite);
        return state->out.Commit();
    });
}

void DMArchiveWriter::Abandon()
{
    m_state.reset();
}

unsigned long long DMArchiveWriter::PlainBytes() const
{
    return m_state ? m_state->plain : 0;
}

unsigned long long DMArchiveWriter::PackedBytes() const
{
    return m_state ? m_state->area : 0;
}
