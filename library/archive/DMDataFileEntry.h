#pragma once

#include "../TomelensExport.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tomelens::archive {
struct ArchiveSource;
}

// Receives plain bytes block by block; a non-zero return stops the read and is returned.
using DMDataSink = int (*)(void* context, const void* bytes, unsigned length);

// One entry of an archive held in memory. Its data is present packed (a view
// of its blocks inside the container's data area, not owned), unpacked (an
// owned buffer of plain bytes), both (the unpacked copy wins), or not at all.
// Integer results are the codes of DMResultCodes.h.
class TOMELENS_API DMDataFileEntry {
public:
    using DMDataSink = ::DMDataSink;

    DMDataFileEntry();
    // Copies duplicate the unpacked buffer, so each buffer has exactly one owner.
    DMDataFileEntry(const DMDataFileEntry& other);
    DMDataFileEntry& operator=(const DMDataFileEntry& other);
    ~DMDataFileEntry();

    const char* GetName() const;
    void SetName(const char* name);

    unsigned GetLength() const;
    // Sets the uncompressed length. An unpacked copy is cut or zero-extended to
    // match, so the copy always holds exactly GetLength() bytes.
    void SetLength(unsigned length);
    unsigned GetPackedLength() const;

    unsigned GetCheckSum() const;
    void SetCheckSum(unsigned checkSum);

    unsigned GetIndex() const;
    void SetIndex(unsigned index);

    unsigned GetOffset() const;
    // Sets the offset within the data area and drops the packed view.
    void SetOffset(unsigned offset);

    bool Deleted() const;
    void Delete();

    // Points the packed view at base + GetOffset(), `length` bytes; copies nothing.
    void SetPackedData(const void* base, unsigned length);
    // Replaces the data with a copy of `length` bytes; null or 0 leaves no data.
    void SetData(const void* data, unsigned length);

    // Writes the GetLength() plain bytes to dest: 0, 7, or 4 when the archive file cannot be read.
    int GetData(void* dest) const;
    // size in: room at dest; size out (on success): packed bytes written. 0 or 6.
    int GetPackedData(void* dest, unsigned& size) const;
    // Replaces the data with a whole file's content: 0, 2 or 4.
    int LoadData(const char* path);
    // Writes the plain data to a file, replacing it atomically: 0, 2, 3, 4 or 7.
    int SaveData(const char* path) const;
    // Inflates the entry's data block by block into `sink`: 0, 4 (the source file could not be read),
    // 7 (packed data corrupt or not matching the entry's length), or the sink's own non-zero code.
    // Distinct entries of one container may be read from several threads at once.
    int ReadData(DMDataSink sink, void* context) const;

private:
    // The container's hidden internals look at which form the data is in.
    friend struct DMDataFileInternals;

    std::uint32_t m_index = 0;
    std::uint32_t m_length = 0;
    std::uint32_t m_packedLength = 0;
    std::uint32_t m_offset = 0;
    std::uint32_t m_checkSum = 0;
    // Beside the index, so a pass over many entries reads both in one go.
    bool m_bDeleted = false;
    const unsigned char* m_pPacked = nullptr;
    std::unique_ptr<unsigned char[]> m_pUnpacked;
    std::string m_name;
    // Keeps the memory behind m_pPacked alive when the container handed it over
    // shared; null for a plain view.
    std::shared_ptr<const unsigned char> m_packedOwner;
    // Instead of a view in memory, the packed bytes may stay in the archive file
    // they were indexed from, m_packedLength bytes from m_sourceOffset on.
    std::shared_ptr<const tomelens::archive::ArchiveSource> m_pSource;
    std::uint64_t m_sourceOffset = 0;
};
