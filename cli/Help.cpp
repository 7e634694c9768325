#include "Help.h"

#include "Diagnostics.h"

#include <iostream>
#include <utility>

namespace {

constexpr std::string_view kOverview = R"TXT(Usage: tomelens-cli COMMAND [ARGUMENTS...]

Works on the game's archive files and its spell file from the command line.

Archive commands:
  list ARCHIVE [--json]              list the entries in data order
  extract ARCHIVE [NAME...] [-T LIST] [-C DIR]
          [--overwrite|--skip-existing|--keep-both]
                                     write entries out as files
  create ARCHIVE [FILE|FOLDER]... [--files-from LIST] [--force]
                                     make a new archive from files
  add ARCHIVE FILE|FOLDER... [--as NAME]
                                     add files as new entries
  delete ARCHIVE NAME... [-T LIST] [--all]
                                     remove entries
  rename ARCHIVE OLD NEW [--force]   rename an entry
  replace ARCHIVE NAME FILE          replace an entry's data with a file's
  set-crc ARCHIVE NAME VALUE         set the checksum stored with an entry
  verify ARCHIVE... [--checksums]    check that archives read and inflate
  crc FILE...                        print the checksum of files

Modding commands (an archive to a folder, edit, and back):
  unpack ARCHIVE DIR                 write every entry and a manifest to DIR
  pack DIR ARCHIVE [--from ORIGINAL] [--update-crc]
                                     rebuild an archive from an unpacked folder
  diff A B [--json]                  list the entries that differ

Spell commands:
  spells list|export|describe ...    see 'tomelens-cli spells --help'

Entry names are given and shown as UTF-8 text and stored in the archive's
code page (windows-1252); a name with a character it cannot hold is refused.
Names must be given exactly (case matters).
Commands that change an archive check everything first and then replace the
file in one step: on any error the archive is left as it was. A second
command changing the same archive waits for the first (a few seconds at
most, then it fails and changes nothing). Ctrl-C stops any command the same
clean way. An archive that another program rewrites while it is being read
is reported, and nothing read across the change is kept.

Exit codes: 0 success, 1 the work failed, 2 bad usage.
Run 'tomelens-cli COMMAND --help' for the details of a command, and
'tomelens-cli --version' for the version.
)TXT";

constexpr std::string_view kList = R"TXT(Usage: tomelens-cli list ARCHIVE [--json]

Prints one line per entry, in data order: the length, the packed length, the
checksum as 8 hex digits and the name in UTF-8. Control characters in names
are shown as \xNN (the name's byte).

  --json   print a JSON array instead, one object per entry:
           {"name": ..., "length": N, "packedLength": N, "checksum": "xxxxxxxx"}
           Names are Unicode text (UTF-8); only quotes, backslashes and
           control characters are escaped.
)TXT";

constexpr std::string_view kExtract = R"TXT(Usage: tomelens-cli extract ARCHIVE [NAME...] [-T LIST] [-C DIR]
                            [--overwrite|--skip-existing|--keep-both]

Writes the named entries (all entries when no name is given) as files under
DIR (default: the current folder; made if missing). File names are the entry
names in UTF-8. A file that is already there is kept and listed on stderr,
and the exit code is then 1, unless one of the options below says otherwise;
the archive being read is never replaced.

Names are made safe so that nothing lands outside DIR, and no symbolic link
is followed on the way: '/' and '\' separate
folders, "." and empty parts are dropped, parts made only of dots become
underscores, ':' and control characters (the code page's five unassigned
bytes among them) become '_', and an empty name becomes
"unnamed". When two entries would land on the same file, the later ones get
"~2", "~3", ... appended. Such changes are reported on stderr.

An entry that fails to inflate is reported and the others are still written;
the exit code is then 1. An unknown NAME is an error and nothing is written.
Ctrl-C stops at once: the files already complete stay, the one in progress is
removed, and the count of files written is reported.

  -C, --directory DIR    the folder to write into
  -T, --files-from LIST  also extract the entries named in LIST, one a line
                         ("-": read the list from standard input)
  --overwrite            replace files that are already there
  --skip-existing        keep files that are already there, quietly
  --keep-both            write the entry beside such a file, as "NAME~2"
)TXT";

constexpr std::string_view kCreate = R"TXT(Usage: tomelens-cli create ARCHIVE [FILE|FOLDER]... [--files-from LIST] [--force]

Makes a new archive holding each FILE as an entry named after the file
(without its folders). A FOLDER adds every regular file below it, sorted,
named by its path inside the folder with '/' between the parts (sub/a.txt);
links to folders are not followed, and ARCHIVE itself is left out when it lies
inside. An unreadable FILE is an error and nothing is written. The entries are
packed and written as they are read, so memory does not grow with their size.

  -T, --files-from LIST   also add the files named in LIST, one a line
                          ("-": read the list from standard input)
  -f, --force             replace ARCHIVE if it already exists
)TXT";

constexpr std::string_view kAdd = R"TXT(Usage: tomelens-cli add ARCHIVE FILE|FOLDER... [--as NAME]

Adds each FILE as a new entry named after the file (without its folders), and
every regular file below each FOLDER as create does, and saves the archive. A
name that another entry already has is accepted.

  --as NAME   the entry's name (only with a single FILE)
)TXT";

constexpr std::string_view kDelete = R"TXT(Usage: tomelens-cli delete ARCHIVE NAME... [-T LIST] [--all]

Removes the entry of each NAME and saves the archive. An unknown NAME, or a
NAME that several entries share without --all, is an error and nothing is
written.

  --all                  remove every entry of each NAME
  -T, --files-from LIST  also remove the entries named in LIST, one a line
                         ("-": read the list from standard input)
)TXT";

constexpr std::string_view kRename = R"TXT(Usage: tomelens-cli rename ARCHIVE OLD NEW [--force]

Renames the entry OLD to NEW; its data and checksum stay as they are. OLD must
name exactly one entry. When another entry is already named NEW, the rename
is refused unless --force is given; both entries then have that name.

  -f, --force   rename even when another entry has the name
)TXT";

constexpr std::string_view kReplace = R"TXT(Usage: tomelens-cli replace ARCHIVE NAME FILE

Replaces the data of the entry NAME with the content of FILE; its name and
checksum stay as they are. NAME must name exactly one entry.
)TXT";

constexpr std::string_view kSetCrc = R"TXT(Usage: tomelens-cli set-crc ARCHIVE NAME VALUE

Stores VALUE as the checksum of the entry NAME. VALUE is an unsigned 32-bit
number in decimal (305419896) or hex with 0x (0x12345678). The checksum is
never computed for you: 'crc' prints the one of a file.
)TXT";

constexpr std::string_view kVerify = R"TXT(Usage: tomelens-cli verify ARCHIVE... [--checksums]

Checks that each file is an archive and that every entry inflates. Prints
"ARCHIVE: OK (N entries)" for each good archive; for a bad one, one line on
stderr with the entries that fail and why. Exit code 1 when any fails.

  --checksums   also compare each entry's stored checksum with its data's;
                a difference is a warning line on stderr, not a failure
)TXT";

constexpr std::string_view kCrc = R"TXT(Usage: tomelens-cli crc FILE...

Prints the checksum of each file's bytes (CRC-32, as archive entries carry
it) as 8 hex digits, then two blanks and the file name.
)TXT";

constexpr std::string_view kUnpack = R"TXT(Usage: tomelens-cli unpack ARCHIVE DIR

Writes every entry of ARCHIVE as a file under DIR (made if missing; it must
be empty), named as extract names them, and the manifest DIR/tomelens.json,
which records for each entry, in archive order: its stored name as bytes (so
a name no file system can hold survives), the file it went to, its length,
stored checksum and CRC-32 of its data, where its packed bytes lie in
ARCHIVE, and the file's size and time as written. Edit, add or delete files
under DIR, then rebuild the archive with 'tomelens-cli pack DIR ARCHIVE'.
An entry named tomelens.json is written as tomelens.json~2.
)TXT";

constexpr std::string_view kPack = R"TXT(Usage: tomelens-cli pack DIR ARCHIVE [--from ORIGINAL] [--update-crc]

Writes ARCHIVE from the files under DIR. When DIR holds the manifest
tomelens.json that unpack wrote, the archive is rebuilt from the one it was
unpacked from (ORIGINAL, default: the archive the manifest names):
  - entries keep their order, names and stored checksums;
  - a file that did not change is stored by copying the entry's packed bytes
    from ORIGINAL, so packing an untouched DIR gives the same file as saving
    ORIGINAL unchanged, and an edit changes only that entry's bytes;
  - a changed file is packed anew;
  - a file that is gone drops its entry;
  - a new file is added at the end (new files in list order), named after
    its path below DIR with the archive's separator between folders.
When ARCHIVE is ORIGINAL itself, the manifest is brought up to date with
the new file, so the loop of editing and packing can go on.
Without a manifest every file under DIR becomes an entry, in create's name
order, named after its path below DIR.

A changed entry keeps its stored checksum unless --update-crc is given; when
that checksum matched the old data and no longer matches the new, this is
said on stderr. A DIR the manifest cannot follow (a file that became a
folder, two files that give one entry name, something that is not a file)
is refused with a message naming it, and nothing is written. ARCHIVE is
replaced in one step.

  --from ORIGINAL   the archive DIR was unpacked from
  --update-crc      set changed and new entries' checksums to the CRC-32 of
                    their data (new entries get 0 otherwise)
)TXT";

constexpr std::string_view kDiff = R"TXT(Usage: tomelens-cli diff A B [--json]

Compares two archives entry by entry, matching entries by name (several
entries of one name are matched in data order). Prints one line for each
entry only in A, only in B, or in both but different:
  only in A: NAME
  only in B: NAME
  differs: NAME (size 3 -> 4, checksum 00000001 -> 00000002, data, position 8 -> 0)
"position" means the entry moved against the other entries both archives
hold; positions count from 0 in data order. Entries whose packed bytes are
equal are compared without inflating them.

  --json   print {"same": true|false, "differences": [...]} instead: each
           difference has "kind" (onlyInA, onlyInB, changed), "name", "a"
           and/or "b" ({"position", "length", "checksum"}) and, for changed
           ones, "differs" (a list of size, checksum, data, position)

Exit codes: 0 the archives hold the same entries, 1 they differ, 2 trouble
(an archive cannot be read).
)TXT";

constexpr std::string_view kSpells = R"TXT(Usage: tomelens-cli spells list|export --game-dir DIR [FILTERS] [-o FILE]
       tomelens-cli spells describe --game-dir DIR NAME

Reads the spell file spdat.eff of the game folder DIR.

  list       prints the spells that pass the filters, one line each, in the
             order of the Spells tab's list (a single class: by level, then
             by name, each line starting with the level)
  export     writes the descriptions of those spells as "Save All" does
  describe   prints the description of the spell named NAME (the first one
             in the file when several have that name)

Filters (each "*** All ***" when not given):
  --class NAME    a class: Warrior, Cleric, Paladin, Ranger, Shaddow Knight,
                  Druid, Rogue, Bard, Monk, Shaman, Necromancer, Wizard,
                  Magician, Enchanter, or "*** Not available ***"
  --from N        lowest level (read as the From edit reads it: 0 or no
                  number means 1)
  --to N          highest level (0 or no number means 50; raised to From
                  when lower)
  --skill NAME    the casting skill, by its name ("Evocation", ...)
  --effect NAME   an effect, by its name ("Healing/Damage", "Stun", ...)

  -o, --output FILE   write to FILE (replaced in one step) instead of stdout
  -g, --game-dir DIR  the game folder holding spdat.eff
)TXT";

constexpr std::pair<std::string_view, std::string_view> kTexts[] = {
    {"", kOverview},          {"list", kList},       {"extract", kExtract},
    {"create", kCreate},      {"add", kAdd},         {"delete", kDelete},
    {"rename", kRename},      {"replace", kReplace}, {"set-crc", kSetCrc},
    {"verify", kVerify},      {"crc", kCrc},         {"spells", kSpells},
    {"unpack", kUnpack},      {"pack", kPack},       {"diff", kDiff},
    {"spells list", kSpells}, {"spells export", kSpells}, {"spells describe", kSpells},
};

}  // namespace

std::string_view HelpText(std::string_view command)
{
    for (const auto& [name, text] : kTexts)
        if (name == command)
            return text;
    return {};
}

int PrintHelp(std::string_view command)
{
    std::cout << HelpText(command);
    return FinishOutput(kExitOk);
}
