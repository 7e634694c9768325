#include "archive/DMDataFile.h"

#include "archive/DMDataFileInternals.h"
#include "archive/DMResultCodes.h"
#include "archive/LastError.h"

#include <algorithm>
#include <cstring>
#include <new>

DMDataFile::DMDataFile(const char* path) : m_path(path ? path : "") {}

DMDataFile::~DMDataFile()
{
    ResetContent();
}

DMDataFile* CreateDMDataFile(const char* path)
{
    return new (std::nothrow) DMDataFile(path);
}

void DestroyDMDataFile(DMDataFile* file)
{
    delete file;
}

void DMDataFile::ResetContent()
{
    while (!m_entries.empty())
        m_entries.pop_back();
    m_pDataArea.reset();
    m_dataAreaLength = 0;
    m_pSignature.reset();
    m_signatureLength = 0;
    m_fileSize = 0;
}

unsigned DMDataFile::GetNumEntries() const
{
    return m_entries.empty() ? 0 : static_cast<unsigned>(m_entries.size() - 1);
}

DMDataFileEntry* DMDataFile::GetEntry(unsigned position)
{
    return position < GetNumEntries() ? m_entries[position].get() : nullptr;
}

void* DMDataFile::GetSignature(unsigned& length)
{
    length = m_signatureLength;
    return m_pSignature.get();
}

void DMDataFile::SetSignature(const void* data, unsigned length)
{
    m_pSignature.reset();
    m_signatureLength = 0;
    if (data && length > 0) {
        m_pSignature = std::make_unique_for_overwrite<unsigned char[]>(length);
        std::memcpy(m_pSignature.get(), data, length);
        m_signatureLength = length;
    }
}

unsigned DMDataFile::AddEntry()
{
    const unsigned position = GetNumEntries();
    // One above every live index, the name list's included: last in directory order.
    unsigned index = 0;
    for (const auto& entry : m_entries) {
        if (!entry->Deleted())
            index = std::max(index, entry->GetIndex() + 1);
    }
    auto entry = std::make_unique<DMDataFileEntry>();
    entry->SetIndex(index);
    // The first element of an empty container becomes its name list.
    m_entries.insert(m_entries.begin() + position, std::move(entry));
    return position;
}

void DMDataFile::DelEntry(unsigned position)
{
    if (position >= GetNumEntries() || m_entries[position]->Deleted())
        return;
    DMDataFileEntry& deleted = *m_entries[position];
    deleted.Delete();
    const unsigned gap = deleted.GetIndex();
    for (const auto& entry : m_entries) {
        if (!entry->Deleted() && entry->GetIndex() > gap)
            entry->SetIndex(entry->GetIndex() - 1);
    }
}

int DMDataFile::Save(const char* path)
{
    tomelens::archive::ClearSystemError();
    if (path) {
        m_path = path;
        m_bChecked = false;
    }
    if (m_path.empty())
        return DMResult::NoPath;
    return DMDataFileInternals::Save(*this);
}
