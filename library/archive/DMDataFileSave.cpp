#include "archive/DMDataFile.h"

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveLimits.h"
#include "archive/ArchiveSource.h"
#include "archive/AtomicFileWriter.h"
#include "archive/DMDataFileInternals.h"
#include "archive/DMResultCodes.h"
#include "archive/ParallelPack.h"
#include "archive/PositionalRead.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

using namespace tomelens::archive;

namespace {

// What the writer decided for each live element before anything is changed.
struct PackedLayout {
    std::vector<PackedBytes> packed;     // the changed elements' new bytes
    std::vector<std::size_t> packedAt;   // per element: its slot in `packed`, or kUnchanged
    std::uint64_t used = 0;
    std::vector<std::uint32_t> offsets;  // within the data area
    std::vector<std::uint32_t> indices;  // directory slots
    bool stopped = false;
};

std::vector<unsigned char> BuildNameList(const std::vector<DMDataFileEntry*>& visible)
{
    std::vector<unsigned char> list(4);
    WriteWord(list.data(), static_cast<std::uint32_t>(visible.size()));
    for (const DMDataFileEntry* entry : visible) {
        const std::size_t nameLength = std::strlen(entry->GetName());
        const std::size_t at = list.size();
        list.resize(at + 4 + nameLength + 1);
        WriteWord(list.data() + at, static_cast<std::uint32_t>(nameLength + 1));
        std::memcpy(list.data() + at + 4, entry->GetName(), nameLength + 1);
    }
    return list;
}

constexpr std::size_t kUnchanged = ~std::size_t(0);

// Packs every element with new data, on several threads, and lays all
// elements out back to back. False when the area would exceed `maxArea` or
// `progress` stopped the packing (layout.stopped).
bool LayOut(const std::vector<DMDataFileEntry*>& live, std::uint64_t maxArea, const PackProgress& progress,
            PackedLayout& layout)
{
    std::vector<PackJob> jobs;
    layout.packedAt.assign(live.size(), kUnchanged);
    for (std::size_t i = 0; i < live.size(); ++i) {
        if (DMDataFileInternals::HoldsPackedOnly(*live[i]))
            continue;
        if (const unsigned char* plain = DMDataFileInternals::Unpacked(*live[i])) {
            layout.packedAt[i] = jobs.size();
            jobs.push_back({plain, live[i]->GetLength()});
        }
    }
    layout.packed = PackInParallel(jobs, progress);
    if (layout.packed.size() != jobs.size()) {
        layout.stopped = true;
        return false;
    }
    for (std::size_t i = 0; i < live.size(); ++i) {
        layout.offsets.push_back(static_cast<std::uint32_t>(layout.used));
        if (layout.packedAt[i] != kUnchanged)
            layout.used += layout.packed[layout.packedAt[i]].size;
        else if (DMDataFileInternals::HoldsPackedOnly(*live[i]))
            layout.used += live[i]->GetPackedLength();
        if (layout.used > maxArea)
            return false;
    }
    return true;
}

// Empty entries share their offset with the element written after them, and a
// reader orders equal offsets by descending directory index. Handing out each
// such group's slots in descending order keeps every name on its own entry and
// the name list last; an archive read from disk already satisfies this.
void OrderSharedOffsets(const std::vector<DMDataFileEntry*>& live, PackedLayout& layout)
{
    layout.indices.clear();
    for (const DMDataFileEntry* entry : live)
        layout.indices.push_back(entry->GetIndex());
    std::size_t groupStart = 0;
    for (std::size_t i = 0; i < live.size(); ++i) {
        const std::uint64_t end = i + 1 < live.size() ? layout.offsets[i + 1] : layout.used;
        if (end == layout.offsets[i] && i + 1 < live.size())
            continue;  // empty: it shares its offset with the next element
        std::sort(layout.indices.begin() + groupStart, layout.indices.begin() + i + 1,
                  std::greater<>());
        groupStart = i + 1;
    }
}

// Directory records in slot order; false when the slots are not exactly 0 to N - 1.
bool BuildDirectory(const std::vector<DMDataFileEntry*>& live, const PackedLayout& layout,
                    std::vector<unsigned char>& directory)
{
    const std::size_t count = live.size();
    std::vector<std::size_t> elementAt(count, count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t slot = layout.indices[i];
        if (slot >= count || elementAt[slot] != count)
            return false;
        elementAt[slot] = i;
    }
    directory.assign(kCountSize + kRecordSize * count, 0);
    WriteWord(directory.data(), static_cast<std::uint32_t>(count));
    for (std::size_t slot = 0; slot < count; ++slot) {
        const std::size_t i = elementAt[slot];
        unsigned char* record = directory.data() + kCountSize + kRecordSize * slot;
        WriteWord(record, live[i]->GetCheckSum());
        WriteWord(record + 4, kHeaderSize + layout.offsets[i]);
        WriteWord(record + 8, live[i]->GetLength());
    }
    return true;
}

// Writes the elements' packed bytes in order. Neighbours that lie back to back
// in memory or in the source file go out as one run, and file extents are
// copied in bounded chunks, so an unchanged archive is streamed, not gathered.
class AreaWriter {
public:
    AreaWriter(AtomicFileWriter& writer, DMSaveObserver observer, void* context, std::uint64_t packed,
               std::uint64_t total)
        : m_writer(writer), m_observer(observer), m_context(context), m_packed(packed), m_total(total)
    {
    }

    // Tells the observer how far the file got, after the packing: 0, or its own code to stop.
    int Tell(std::uint64_t done) const
    {
        return m_observer ? m_observer(m_context, m_packed + done, m_packed + m_total) : 0;
    }

    int Add(const DMDataFileEntry& entry)
    {
        const unsigned char* view = DMDataFileInternals::View(entry);
        const ArchiveSource* source = DMDataFileInternals::Source(entry);
        const std::uint64_t length = entry.GetPackedLength();
        if (length == 0)
            return DMResult::Success;
        if (view && m_view && view == m_view + m_length) {
            m_length += length;
            return DMResult::Success;
        }
        const std::uint64_t at = DMDataFileInternals::SourceOffset(entry);
        if (!view && source && source == m_source && at == m_at + m_length) {
            m_length += length;
            return DMResult::Success;
        }
        if (const int result = Flush(); result != DMResult::Success)
            return result;
        m_view = view;
        m_source = view ? nullptr : source;
        m_at = at;
        m_length = m_view || m_source ? length : 0;
        return DMResult::Success;
    }

    int Flush()
    {
        const std::uint64_t length = m_length;
        m_length = 0;
        if (m_view) {
            Put(m_view, length);
            m_written += length;
            return Tell(kHeaderSize + m_written);
        }
        WriteStaged();
        for (std::uint64_t done = 0; done < length;) {
            const std::uint64_t piece = std::min(kChunk, length - done);
            // Unchanged runs go file to file inside the system when it can;
            // what it does not copy passes through our buffer.
            const std::uint64_t copied = m_writer.CopyFrom(m_source->file.Get(), m_at + done, piece);
            if (copied < piece) {
                m_chunk.resize(kChunk);
                const std::uint64_t rest = piece - copied;
                if (ReadAt(m_source->file.Get(), m_chunk.data(), rest, m_at + done + copied) != rest)
                    return DMResult::ShortRead;
                m_writer.Write(m_chunk.data(), rest);
            }
            done += piece;
            m_written += piece;
            if (const int stop = Tell(kHeaderSize + m_written); stop != 0)
                return stop;
        }
        return DMResult::Success;
    }

    // Writes what is still pending; the last call.
    int Finish()
    {
        const int result = Flush();
        WriteStaged();
        return result;
    }

private:
    static constexpr std::uint64_t kChunk = 1u << 20;

    // Many small pieces (entries packed anew sit each in its own buffer) are
    // gathered into one write, so a save of many small entries is not a
    // system call per entry.
    void Put(const unsigned char* bytes, std::uint64_t length)
    {
        if (m_staged.size() + length > kChunk || length >= kChunk / 16)
            WriteStaged();
        if (length >= kChunk / 16) {
            m_writer.Write(bytes, length);
            return;
        }
        m_staged.insert(m_staged.end(), bytes, bytes + length);
    }

    void WriteStaged()
    {
        if (!m_staged.empty())
            m_writer.Write(m_staged.data(), m_staged.size());
        m_staged.clear();
    }

    AtomicFileWriter& m_writer;
    DMSaveObserver m_observer;
    void* m_context;
    std::uint64_t m_packed;  // plain bytes packed before the writing
    std::uint64_t m_total;
    std::uint64_t m_written = 0;  // area bytes handed to the writer
    std::vector<unsigned char> m_staged;
    const unsigned char* m_view = nullptr;
    const ArchiveSource* m_source = nullptr;
    std::uint64_t m_at = 0;
    std::uint64_t m_length = 0;
    std::vector<unsigned char> m_chunk;
};

}  // namespace

int DMDataFileInternals::Save(DMDataFile& file, DMSaveObserver observer, void* context)
{
    // A container never loaded gets its name list the way AddEntry makes one.
    if (file.m_entries.empty())
        file.AddEntry();

    std::vector<DMDataFileEntry*> live;
    for (const auto& entry : file.m_entries) {
        if (!entry->Deleted())
            live.push_back(entry.get());
    }
    DMDataFileEntry& nameList = *live.back();
    live.pop_back();
    const std::vector<unsigned char> list = BuildNameList(live);
    live.push_back(&nameList);
    const std::uint64_t fixedBytes =
        kHeaderSize + kCountSize + std::uint64_t(kRecordSize) * live.size() + file.m_signatureLength;
    if (list.size() > kMaxFileSize || fixedBytes >= MaxArchiveFileSize())
        return DMResult::ShortWrite;
    nameList.SetData(list.data(), static_cast<unsigned>(list.size()));

    // The observer hears of packing as the first part of the work: plain
    // bytes packed, out of those to pack plus the file's bytes (estimated
    // here, exact once laid out).
    std::uint64_t toPack = 0, unchanged = 0;
    for (const DMDataFileEntry* entry : live) {
        if (DMDataFileInternals::HoldsPackedOnly(*entry))
            unchanged += entry->GetPackedLength();
        else if (DMDataFileInternals::Unpacked(*entry))
            toPack += entry->GetLength();
    }
    std::uint64_t packedSoFar = 0;
    int stop = 0;
    const PackProgress packProgress = [&](std::uint64_t plainBytes) {
        packedSoFar += plainBytes;
        stop = observer(context, packedSoFar, toPack + fixedBytes + unchanged + toPack);
        return stop == 0;
    };
    PackedLayout layout;
    if (!LayOut(live, MaxArchiveFileSize() - fixedBytes, observer ? packProgress : PackProgress(), layout))
        return layout.stopped ? stop : DMResult::ShortWrite;
    OrderSharedOffsets(live, layout);
    std::vector<unsigned char> directory;
    if (!BuildDirectory(live, layout, directory))
        return DMResult::NoDirectory;

    // The layout is sound: move the container onto it. Unchanged elements keep
    // reading their bytes where they were; changed ones view their new bytes.
    for (std::size_t i = 0; i < live.size(); ++i) {
        DMDataFileEntry& entry = *live[i];
        entry.m_index = layout.indices[i];
        entry.m_offset = layout.offsets[i];
        if (layout.packedAt[i] == kUnchanged)
            continue;
        PackedBytes& packed = layout.packed[layout.packedAt[i]];
        entry.m_pSource.reset();
        entry.m_sourceOffset = 0;
        entry.m_packedOwner = std::move(packed.bytes);
        entry.m_pPacked = entry.m_packedOwner.get();
        entry.m_packedLength = static_cast<std::uint32_t>(packed.size);
    }
    for (const auto& entry : file.m_entries) {
        if (entry->Deleted()) {
            // Its bytes are not carried over: no data, and nothing kept alive for it.
            const unsigned length = entry->GetLength();
            entry->SetData(nullptr, 0);
            entry->SetLength(length);
        }
    }
    file.m_nextIndex = static_cast<std::uint32_t>(live.size());
    const auto areaLength = static_cast<std::uint32_t>(layout.used);
    // The old area lives on only while unchanged entries still view it.
    file.m_pDataArea.reset();
    file.m_dataAreaLength = areaLength;

    unsigned char header[kHeaderSize];
    WriteWord(header, kHeaderSize + areaLength);
    WriteWord(header + 4, kMagic);
    WriteWord(header + 8, kVersion);
    AtomicFileWriter writer;
    if (const int result = writer.Open(file.m_path.c_str(), KeepTimes::Yes); result != DMResult::Success)
        return result;
    writer.Write(header, kHeaderSize);
    const std::uint64_t total = kHeaderSize + std::uint64_t(areaLength) + directory.size() + file.m_signatureLength;
    AreaWriter area(writer, observer, context, toPack, total);
    if (const int stop = area.Tell(0); stop != 0)
        return stop;
    for (const DMDataFileEntry* entry : live) {
        if (const int result = area.Add(*entry); result != DMResult::Success)
            return result;
    }
    if (const int result = area.Finish(); result != DMResult::Success)
        return result;
    writer.Write(directory.data(), directory.size());
    writer.Write(file.m_pSignature.get(), file.m_signatureLength);
    // The last word before the file takes its place: a stop here still leaves the target as it was.
    if (const int stop = area.Tell(total); stop != 0)
        return stop;
    return writer.Commit();
}
