#pragma once

#include "archive/ArchiveSource.h"
#include "archive/DMDataFile.h"

#include <cstdint>
#include <memory>

// The steps of loading and saving a container; hidden from the library's users.
struct DMDataFileInternals {
    // Load and LoadIndex: checks the file and reads it through one open handle.
    // With readDataArea the entries view a copy of the data area; without, they
    // read their extents from the file, which the container keeps open.
    static int Open(DMDataFile& file, const char* path, bool readDataArea);
    // Reads the directory and signature (and the data area when asked) and
    // builds the entries in data order with their packed bytes.
    static int ReadArchive(DMDataFile& file, const std::shared_ptr<const tomelens::archive::ArchiveSource>& source,
                           std::uint32_t directoryOffset, bool readDataArea);
    // Inflates and checks the name list and names the entries.
    static int NameEntries(DMDataFile& file);
    // Packs every changed element and writes the file, copying the rest; the
    // observer, when given, hears of the bytes written and may stop the save.
    static int Save(DMDataFile& file, DMSaveObserver observer, void* context);
    // True when the entry's data is its loaded packed bytes, copied as they are.
    static bool HoldsPackedOnly(const DMDataFileEntry& entry)
    {
        return (entry.m_pPacked || entry.m_pSource) && !entry.m_pUnpacked;
    }
    static const unsigned char* Unpacked(const DMDataFileEntry& entry) { return entry.m_pUnpacked.get(); }
    static const unsigned char* View(const DMDataFileEntry& entry) { return entry.m_pPacked; }
    static const tomelens::archive::ArchiveSource* Source(const DMDataFileEntry& entry)
    {
        return entry.m_pSource.get();
    }
    static std::uint64_t SourceOffset(const DMDataFileEntry& entry) { return entry.m_sourceOffset; }
};
