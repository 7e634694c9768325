#pragma once

#include "archive/DMDataFile.h"

// The steps of loading and saving a container; hidden from the library's users.
struct DMDataFileInternals {
    // Reads header, data area, directory and signature of the checked file and
    // builds the entries in data order with their packed views.
    static int ReadArchive(DMDataFile& file);
    // Inflates and checks the name list and names the entries.
    static int NameEntries(DMDataFile& file);
    // Packs every live element into a new data area and writes the file.
    static int Save(DMDataFile& file);
    // True when the entry's data is its loaded packed bytes, copied as they are.
    static bool HoldsPackedOnly(const DMDataFileEntry& entry)
    {
        return entry.m_pPacked && !entry.m_pUnpacked;
    }
};
