#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

// What an operation does when the name it needs is taken: an entry name the
// archive already has (add, rename), or a file already in the folder
// (extract). The caller picks a rule, or Ask and a question to put to the user.
namespace tomelens::core {

// A name the archive already has.
enum class ExistingName {
    Ask,       // put the question for each such name
    Replace,   // the new data replaces the entry's (rename: the other entry goes)
    KeepBoth,  // both entries stay, with the same name (the window's rename accepts any name so)
    Skip,      // leave the entry as it is; not a failure
    Refuse,    // leave it and fail
};
enum class NameAnswer { Replace, ReplaceAll, KeepBoth, KeepBothAll, Skip, SkipAll, Cancel };
// Gets the name's bytes; called on the operation's thread, one call at a time.
using ExistingNameQuestion = std::function<NameAnswer(std::string_view name)>;

// A file already where an entry would be extracted.
enum class ExistingFile {
    Ask,
    Overwrite,
    Skip,      // keep the file; not a failure
    KeepBoth,  // write the entry under a numbered name beside it ("name~2")
    Refuse,    // keep the file and fail
};
enum class FileAnswer { Overwrite, OverwriteAll, Skip, SkipAll, KeepBoth, Cancel };
// Gets the file's path; called from any thread, one call at a time.
using ExistingFileQuestion = std::function<FileAnswer(const std::string& path)>;

// What was decided for one name.
enum class Decision { Replace, KeepBoth, Skip, Refuse, Cancel };

// Applies a rule name by name: asks when the rule is Ask, and remembers an
// answer given "for all" so the question is put once.
class NameRule {
public:
    NameRule(ExistingName rule, ExistingNameQuestion ask) : m_name(rule), m_askName(std::move(ask)) {}
    NameRule(ExistingFile rule, ExistingFileQuestion ask) : m_file(rule), m_askFile(std::move(ask)) {}

    Decision ForName(std::string_view name)
    {
        switch (m_name) {
        case ExistingName::Replace: return Decision::Replace;
        case ExistingName::KeepBoth: return Decision::KeepBoth;
        case ExistingName::Skip: return Decision::Skip;
        case ExistingName::Refuse: return Decision::Refuse;
        case ExistingName::Ask: break;
        }
        if (!m_askName)
            return Decision::Refuse;
        switch (m_askName(name)) {
        case NameAnswer::ReplaceAll: m_name = ExistingName::Replace; [[fallthrough]];
        case NameAnswer::Replace: return Decision::Replace;
        case NameAnswer::KeepBothAll: m_name = ExistingName::KeepBoth; [[fallthrough]];
        case NameAnswer::KeepBoth: return Decision::KeepBoth;
        case NameAnswer::SkipAll: m_name = ExistingName::Skip; [[fallthrough]];
        case NameAnswer::Skip: return Decision::Skip;
        case NameAnswer::Cancel: break;
        }
        return Decision::Cancel;
    }

    // Thread-safe: the question is put under a lock.
    Decision ForFile(const std::string& path)
    {
        const std::lock_guard lock(m_mutex);
        switch (m_file) {
        case ExistingFile::Overwrite: return Decision::Replace;
        case ExistingFile::KeepBoth: return Decision::KeepBoth;
        case ExistingFile::Skip: return Decision::Skip;
        case ExistingFile::Refuse: return Decision::Refuse;
        case ExistingFile::Ask: break;
        }
        if (!m_askFile)
            return Decision::Refuse;
        switch (m_askFile(path)) {
        case FileAnswer::OverwriteAll: m_file = ExistingFile::Overwrite; [[fallthrough]];
        case FileAnswer::Overwrite: return Decision::Replace;
        case FileAnswer::SkipAll: m_file = ExistingFile::Skip; [[fallthrough]];
        case FileAnswer::Skip: return Decision::Skip;
        case FileAnswer::KeepBoth: return Decision::KeepBoth;
        case FileAnswer::Cancel: break;
        }
        return Decision::Cancel;
    }

private:
    ExistingName m_name = ExistingName::Refuse;
    ExistingNameQuestion m_askName;
    ExistingFile m_file = ExistingFile::Refuse;
    ExistingFileQuestion m_askFile;
    std::mutex m_mutex;
};

}  // namespace tomelens::core
