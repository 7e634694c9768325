// Includes the headers as a program built against the source tree does, with
// the library's folder on the include path.
#include "archive/DMDataFile.h"
#include "skills/DMSkills.h"

int SkillCount()
{
    return DMSkills().GetMaxSkill();
}
