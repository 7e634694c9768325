// Writes a one-entry archive to argv[1] through the installed library, reads
// it back and checks the entry's name, data and checksum. Exit 0 when all hold.
#include <Tomelens/archive/CheckSum.h>
#include <Tomelens/archive/DMDataFile.h>
#include <Tomelens/archive/DMResultCodes.h>

#include <cstdio>
#include <cstring>

int SkillCount();

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const char text[] = "written by an outside project";
    const unsigned length = sizeof text - 1;
    const unsigned sum = CheckSum(text, length, 0);

    DMDataFile* out = CreateDMDataFile(argv[1]);
    out->AddEntry();  // a new container's first element is its name list
    DMDataFileEntry* entry = out->GetEntry(out->AddEntry());
    entry->SetName("hello.txt");
    entry->SetData(text, length);
    entry->SetCheckSum(sum);
    const int saved = out->Save(nullptr);
    DestroyDMDataFile(out);

    DMDataFile* in = CreateDMDataFile(argv[1]);
    char back[sizeof text] = {};
    const DMDataFileEntry* read = in->Load(nullptr) == DMResult::Success ? in->GetEntry(0) : nullptr;
    const bool ok = saved == DMResult::Success && read && std::strcmp(read->GetName(), "hello.txt") == 0 &&
                    read->GetLength() == length && read->GetData(back) == DMResult::Success &&
                    CheckSum(back, length, 0) == sum && read->GetCheckSum() == sum &&
                    SkillCount() > 0;
    DestroyDMDataFile(in);
    std::puts(ok ? "consumer: OK" : "consumer: FAILED");
    return ok ? 0 : 1;
}
