#include "archive/DMDataFile.h"

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveLimits.h"
#include "archive/AtomicFileWriter.h"
#include "archive/BlockCodec.h"
#include "archive/DMDataFileInternals.h"
#include "archive/DMResultCodes.h"
#include "archive/GrowableBytes.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

using namespace tomelens::archive;

namespace {

// What the writer decided for each live element before anything is changed.
struct PackedLayout {
    GrowableBytes area;
    std::uint64_t used = 0;
    std::vector<std::uint32_t> offsets;  // within the data area
    std::vector<std::uint32_t> indices;  // directory slots
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

// First guess at the packed size: about 10 percent, plus 8 bytes a block, plus
// 13. Loaded data that will be copied as it is needs exactly its own length.
std::uint64_t RoomEstimate(const DMDataFileEntry& entry, bool copiedAsIs)
{
    if (copiedAsIs)
        return entry.GetPackedLength();
    const std::uint64_t length = entry.GetLength();
    return length + 8 * (length >> 13) + length / 10 + 13;
}

// Packs every live element back to back. False when the area would exceed `maxArea`.
bool PackLiveElements(const std::vector<DMDataFileEntry*>& live, std::uint64_t maxArea,
                      PackedLayout& layout)
{
    std::vector<bool> copiedAsIs(live.size());
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < live.size(); ++i) {
        copiedAsIs[i] = DMDataFileInternals::HoldsPackedOnly(*live[i]);
        total += RoomEstimate(*live[i], copiedAsIs[i]);
    }
    layout.area.Reserve(std::min(total, maxArea));

    for (std::size_t i = 0; i < live.size(); ++i) {
        DMDataFileEntry& entry = *live[i];
        std::uint64_t estimate = RoomEstimate(entry, copiedAsIs[i]);
        unsigned size = 0;
        for (;;) {
            const std::uint64_t wanted = layout.used + estimate;
            const std::uint64_t limit = std::min(wanted, maxArea);
            layout.area.Reserve(limit);
            size = static_cast<unsigned>(limit - layout.used);
            if (entry.GetPackedData(layout.area.Data() + layout.used, size) == DMResult::Success)
                break;
            if (wanted >= maxArea)
                return false;
            // The second try always has the worst case's room, so this ends.
            estimate = std::max(estimate + entry.GetLength() / 2, PackedSizeBound(entry.GetLength()));
        }
        layout.offsets.push_back(static_cast<std::uint32_t>(layout.used));
        layout.used += size;
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

}  // namespace

int DMDataFileInternals::Save(DMDataFile& file)
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

    PackedLayout layout;
    if (!PackLiveElements(live, MaxArchiveFileSize() - fixedBytes, layout))
        return DMResult::ShortWrite;
    OrderSharedOffsets(live, layout);
    std::vector<unsigned char> directory;
    if (!BuildDirectory(live, layout, directory))
        return DMResult::NoDirectory;

    // The layout is sound: move the container onto the new data area.
    for (std::size_t i = 0; i < live.size(); ++i) {
        live[i]->SetIndex(layout.indices[i]);
        live[i]->SetOffset(layout.offsets[i]);
    }
    for (const auto& entry : file.m_entries) {
        if (entry->Deleted()) {
            // Its bytes are not carried over: no data, never a view into freed memory.
            const unsigned length = entry->GetLength();
            entry->SetData(nullptr, 0);
            entry->SetLength(length);
        }
    }
    const auto areaLength = static_cast<std::uint32_t>(layout.used);
    file.m_pDataArea.reset(layout.area.Release(areaLength));
    file.m_dataAreaLength = areaLength;
    std::uint32_t extentEnd = areaLength;
    for (std::size_t i = live.size(); i-- > 0;) {
        live[i]->SetPackedData(file.m_pDataArea.get(), extentEnd - layout.offsets[i]);
        extentEnd = layout.offsets[i];
    }

    unsigned char header[kHeaderSize];
    WriteWord(header, kHeaderSize + areaLength);
    WriteWord(header + 4, kMagic);
    WriteWord(header + 8, kVersion);
    AtomicFileWriter writer;
    if (const int result = writer.Open(file.m_path.c_str(), KeepTimes::Yes); result != DMResult::Success)
        return result;
    writer.Write(header, kHeaderSize);
    writer.Write(file.m_pDataArea.get(), areaLength);
    writer.Write(directory.data(), directory.size());
    writer.Write(file.m_pSignature.get(), file.m_signatureLength);
    return writer.Commit();
}
