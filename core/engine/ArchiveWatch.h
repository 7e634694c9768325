#pragma once

#include "archive/DMDataFile.h"
#include "engine/Outcome.h"

#include <optional>
#include <string>

// Notices an archive rewritten in place while entries are read from it. An
// archive opened by its index reads each entry's bytes from the open file
// when asked; if another program rewrites that file meanwhile, an entry could
// be part old, part new. The file's stamp (device, file number, size,
// modification and change times) is taken from the open file at the start
// and compared before and after each entry is read; an entry read across a
// change is discarded by its reader.
namespace tomelens::core {

class ArchiveWatch {
public:
    ArchiveWatch() = default;
    // Starts watching the file `file` reads from; an archive loaded whole (or
    // new) reads nothing from its file, so it needs no watch.
    ArchiveWatch(const DMDataFile& file, std::string path) { Start(file, std::move(path)); }
    void Start(const DMDataFile& file, std::string path);
    // Nothing to watch: Check always succeeds.
    void Stop() { m_stamp.reset(); }

    // Success, or step Changed: "<path> was changed by another program while
    // it was being read". Safe from several threads at once.
    Outcome Check() const;

    const std::string& Path() const { return m_path; }

    // What Check returns for a change.
    static Outcome Changed(const std::string& path);

    // Called after an entry's bytes were read and before they are checked, so
    // tests can rewrite the file at the worst moment. Null in normal use.
    static inline void (*s_afterRead)() = nullptr;
    static void AfterRead()
    {
        if (s_afterRead)
            s_afterRead();
    }

private:
    const DMDataFile* m_file = nullptr;
    std::string m_path;
    std::optional<DMFileStamp> m_stamp;
};

}  // namespace tomelens::core
