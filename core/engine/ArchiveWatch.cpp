#include "engine/ArchiveWatch.h"

#include "archive/DMResultCodes.h"

namespace tomelens::core {

void ArchiveWatch::Start(const DMDataFile& file, std::string path)
{
    m_file = &file;
    m_path = std::move(path);
    m_stamp.reset();
    DMFileStamp stamp;
    if (file.GetSourceStamp(stamp) == DMResult::Success)
        m_stamp = stamp;
}

Outcome ArchiveWatch::Check() const
{
    if (!m_stamp)
        return Outcome::Success();
    DMFileStamp now;
    if (m_file->GetSourceStamp(now) != DMResult::Success || !(now == *m_stamp))
        return Changed(m_path);
    return Outcome::Success();
}

Outcome ArchiveWatch::Changed(const std::string& path)
{
    return Outcome::Failure(Step::Changed, path, "was changed by another program while it was being read");
}

}  // namespace tomelens::core
