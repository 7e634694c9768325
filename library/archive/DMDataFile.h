#pragma once

#include "../TomelensExport.h"
#include "DMDataFileEntry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Told how far a save got, in bytes of work: the plain bytes of changed
// entries packed, then the bytes of the new file written (`total` is exact
// once the packing is done). Called from one thread at a time, not always the
// caller's. A non-zero return stops the save, which then returns that value
// and leaves the target untouched.
using DMSaveObserver = int (*)(void* context, unsigned long long done, unsigned long long total);

// What an open file is: which file, how long, when last written and changed.
// Two stamps differ when another program replaced, rewrote or touched it.
struct DMFileStamp {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    // Spelled out, since the header serves C++17 consumers too.
    bool operator==(const DMFileStamp& other) const
    {
        return device == other.device && file == other.file && size == other.size &&
               modifiedNs == other.modifiedNs && changedNs == other.changedNs;
    }
    bool operator!=(const DMFileStamp& other) const { return !(*this == other); }
};

// One archive held in memory: its path, a copy of its data area, its entries in
// data order with the name list as a hidden last element, and the signature
// bytes after the directory. Integer results are the codes of DMResultCodes.h.
class TOMELENS_API DMDataFile {
public:
    explicit DMDataFile(const char* path = nullptr);
    ~DMDataFile();
    DMDataFile(const DMDataFile&) = delete;
    DMDataFile& operator=(const DMDataFile&) = delete;

    // Drops entries, data area and signature; keeps the path and the checked flag.
    void ResetContent();

    // Tests whether the file (null: the stored path) is an archive: 0, 1, 2, 4 or 5.
    int CheckFile(const char* path);
    // Replaces the content with the archive's (null: the stored path): 0, 1, 2, 4, 5 or 7.
    int Load(const char* path);
    // Like Load, with the same checks and codes, but reads only the header, the
    // directory and the name list. The file stays open: entries read their
    // packed bytes from it when asked, and Save copies unchanged ones from it.
    int LoadIndex(const char* path);

    unsigned GetNumEntries() const;
    // The entry at a position in data order, or null past the last visible one.
    DMDataFileEntry* GetEntry(unsigned position);

    void* GetSignature(unsigned& length);
    void SetSignature(const void* data, unsigned length);

    // Creates an empty entry just before the name list and returns its position.
    unsigned AddEntry();
    // Marks an entry deleted and closes its gap in directory order.
    void DelEntry(unsigned position);
    // Deletes the entries at `count` positions, exactly as DelEntry on each in
    // turn would, in one pass over the entries.
    void DelEntries(const unsigned* positions, unsigned count);
    // Writes the container to a file (null: the stored path), replacing it
    // atomically: 0, 1, 2, 3 or -1.
    int Save(const char* path);
    // Save, telling `observer` how far it got; the observer may stop it.
    int SaveObserved(const char* path, DMSaveObserver observer, void* context);

    // The stamp of the file LoadIndex keeps open, taken from the open file
    // itself: 0, or 2 when no file is kept open (Load, or a new container) or
    // it cannot be examined.
    int GetSourceStamp(DMFileStamp& stamp) const;

private:
    // The loading and saving steps live in the library's hidden internals.
    friend struct DMDataFileInternals;

    bool m_bChecked = false;
    std::string m_path;
    // Shared with the entries whose views point into it, so an area replaced
    // by Save lives on exactly as long as some entry still reads from it.
    std::shared_ptr<unsigned char> m_pDataArea;
    std::uint32_t m_dataAreaLength = 0;
    std::unique_ptr<unsigned char[]> m_pSignature;
    std::uint32_t m_signatureLength = 0;
    std::uint32_t m_fileSize = 0;
    std::vector<std::unique_ptr<DMDataFileEntry>> m_entries;
    // One above the highest directory index of the live elements.
    std::uint32_t m_nextIndex = 0;
    // The archive file LoadIndex keeps open for its entries; null otherwise.
    std::shared_ptr<const tomelens::archive::ArchiveSource> m_pSource;
};

// The library allocates and frees every container: callers use this pair only.
TOMELENS_API DMDataFile* CreateDMDataFile(const char* path);
TOMELENS_API void DestroyDMDataFile(DMDataFile* file);
