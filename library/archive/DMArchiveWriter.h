#pragma once

#include "../TomelensExport.h"

#include <memory>

class DMDataFile;

// Writes a new archive entry by entry, without holding the entries' data: each
// entry's plain bytes are packed into blocks and written out as they come, in
// order, and only its directory record and name are kept until the end. The
// file is exactly what DMDataFile::Save writes for a new container given the
// same entries in the same order (checksums as given, no signature).
// The target is replaced atomically by Finish; an unfinished writer leaves it
// untouched. Integer results are the codes of DMResultCodes.h.
class TOMELENS_API DMArchiveWriter {
public:
    DMArchiveWriter();
    ~DMArchiveWriter();
    DMArchiveWriter(const DMArchiveWriter&) = delete;
    DMArchiveWriter& operator=(const DMArchiveWriter&) = delete;

    // Starts the archive at path: 0 or 2.
    int Open(const char* path);
    // Starts the next entry (ending the one before): 0, or 3 after a failure.
    int BeginEntry(const char* name, unsigned checkSum);
    // Appends plain bytes to the entry begun last: 0, or 3 when the archive
    // would not fit the format or a write failed (DMLastSystemError says why).
    int Write(const void* plain, unsigned length);
    // Writes an entry of an open container as it is: its packed bytes copied
    // (read from its file in pieces when indexed), or its new data packed.
    // Name, length and checksum are the entry's. 0, 3, or 4 when its file
    // cannot be read.
    int CopyEntry(DMDataFile& from, unsigned position);

    // Puts the entry begun or copied last, or the name list, at a directory
    // slot of its own instead of the next one (entries take 1, 2, ... and the
    // name list 0, as in a new container). Rewriting a loaded archive with
    // its own slots gives what its Save gives.
    void SetSlot(unsigned slot);
    void SetNameListSlot(unsigned slot);
    // The bytes after the directory (0 or 9 of them), none by default.
    void SetSignature(const void* data, unsigned length);

    // Writes the name list, the directory and the header, and puts the file
    // in place: 0, 2, 3, or -1 when the slots are not 0 to M each once. The
    // writer is spent afterwards.
    int Finish();
    // Drops everything written so far; the target stays as it was.
    void Abandon();

    // Plain bytes taken and packed bytes written so far.
    unsigned long long PlainBytes() const;
    unsigned long long PackedBytes() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
