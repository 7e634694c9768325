#include "spells/DMSpell.h"

#include "resources/ResourceIds.h"
#include "common/GameDirectory.h"
#include "common/Prompts.h"
#include "common/SortedLists.h"
#include "skills/DMSkills.h"
#include "EntryNameCodec.h"
#include "ListOrder.h"
#include "spells/SpellDescription.h"
#include "spells/SpellExport.h"
#include "spells/SpellFile.h"
#include "spells/SpellQuery.h"
#include "spells/SpellTables.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include <sstream>

using namespace tomelens::core;

namespace {

const QString kAllRows = QString::fromLatin1(kAllRowText);

// The game's texts are single bytes in its Windows code page, like entry
// names: every byte shows as one character.
QString FromGame(const std::string& text)
{
    return QString::fromStdU16String(DecodeEntryName(text));
}

std::string ToGame(const QString& text)
{
    return text.toLatin1().toStdString();
}

void FillFromTable(QComboBox* combo, std::span<const SpellTableRow> table)
{
    combo->clear();
    for (const SpellTableRow& row : table)
        AddSorted(combo, QString::fromLatin1(row.name), row.number);
}

// Selects the first item whose text begins with text, as the filters do after filling.
void SelectStartingWith(QComboBox* combo, const QString& text)
{
    combo->setCurrentIndex(combo->findText(text, Qt::MatchStartsWith));
}

// A file name proposal made from a spell name: separators would turn it into a path.
QString ProposedFileName(const QString& spellName)
{
    QString name = spellName;
    name.replace(u'/', u'_');
    name.replace(u'\\', u'_');
    return name;
}

}  // namespace

DMSpell::DMSpell(QComboBox* classCombo, QLineEdit* levelFromEdit, QLineEdit* levelToEdit,
                 QComboBox* skillCombo, QComboBox* effectCombo, QListWidget* spellList,
                 QPlainTextEdit* description, Prompts& prompts)
    : DMTabView(ids::MenuSpells),
      m_pClassCombo(classCombo),
      m_pSkillCombo(skillCombo),
      m_pEffectCombo(effectCombo),
      m_pLevelFromEdit(levelFromEdit),
      m_pLevelToEdit(levelToEdit),
      m_pSpellList(spellList),
      m_pDescription(description),
      m_prompts(prompts)
{
}

QString DMSpell::Activate()
{
    if (m_bInitialized)
        return QString();
    m_bInitialized = true;
    m_pDescription->clear();

    QString tip;
    if (!LoadSpellFile(tip))
        return tip;
    FillClassCombo();
    FillSkillCombo();
    FillEffectCombo();
    return GetSpells();
}

bool DMSpell::LoadSpellFile(QString& tip)
{
    if (m_bRecordsHeld)
        return true;
    const std::string path = SpellFilePathIn(QFile::encodeName(GetDMPath()).toStdString());
    const SpellFileResult result = ReadSpellFile(path, m_spells);
    if (!result.ok()) {
        m_spells.clear();
        m_prompts.Message(FromGame(result.message));
        tip = FromGame(result.tip);
        return false;
    }
    m_bRecordsHeld = true;
    return true;
}

QString DMSpell::GetSpells()
{
    m_pDescription->clear();
    QString tip;
    if (!LoadSpellFile(tip))
        return tip;

    SpellFilter filter;
    filter.levels = ParseLevelRange(ToGame(m_pLevelFromEdit->text()), ToGame(m_pLevelToEdit->text()));
    m_pLevelFromEdit->setText(QString::number(filter.levels.from));
    m_pLevelToEdit->setText(QString::number(filter.levels.to));
    m_queriedFrom = m_pLevelFromEdit->text();
    m_queriedTo = m_pLevelToEdit->text();
    filter.skillCount = DMSkills().GetMaxSkill();
    filter.classFilter = SelectedDatum(m_pClassCombo, CLASS_ALL);
    filter.skillFilter = SelectedDatum(m_pSkillCombo, filter.skillCount);
    filter.effectFilter = SelectedDatum(m_pEffectCombo, EFFECT_ALL);

    // A refill is not a user's selection: the view must not describe anything for it.
    const QSignalBlocker quiet(m_pSpellList);
    m_pSpellList->clear();
    if (m_spells.empty())
        return QString();
    BulkFill fill(m_pSpellList);
    for (const SpellLine& line : QuerySpells(m_spells, filter))
        AddLine(m_pSpellList, FromGame(line.text), line.record);
    return QString();
}

bool DMSpell::LevelsTyped() const
{
    // Without records a query has nothing to list (and would only repeat the load failure).
    if (!m_bRecordsHeld)
        return false;
    return m_pLevelFromEdit->text() != m_queriedFrom || m_pLevelToEdit->text() != m_queriedTo;
}

QString DMSpell::ShowSpell()
{
    const int record = SelectedRecord();
    if (record < 0) {
        m_pDescription->clear();
        return QStringLiteral("Select spell in left list");
    }
    std::ostringstream text;
    DescribeSpell(text, m_spells, record, std::string());
    m_pDescription->setPlainText(FromGame(text.str()));
    return QStringLiteral(
        "You may use \"File\"->\"Save\" command to save spell information into the file");
}

void DMSpell::SaveSpell()
{
    const int record = SelectedRecord();
    if (record < 0) {
        m_prompts.Message(QStringLiteral("Select spell first."));
        m_pDescription->clear();
        return;
    }
    SaveExport(ProposedFileName(FromGame(m_spells[std::size_t(record)].Name())), {record}, false);
}

void DMSpell::SaveAllSpells()
{
    std::vector<int> records;
    for (int row = 0; row < m_pSpellList->count(); ++row) {
        bool ok = false;
        const int record = m_pSpellList->item(row)->data(Qt::UserRole).toInt(&ok);
        if (ok && record >= 0 && record < SpellCount())
            records.push_back(record);
    }
    SaveExport(QStringLiteral("spells.txt"), records, true);
}

void DMSpell::SaveExport(const QString& proposedName, const std::vector<int>& records,
                         bool allSpells)
{
    const QString path = m_prompts.SaveFile(proposedName, QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    // Written to a temporary file that replaces the target only when complete.
    const SpellExportStatus status =
        SaveSpellExportFile(QFile::encodeName(path).toStdString(), m_spells, records, allSpells);
    if (status != SpellExportStatus::Ok)
        m_prompts.Message(QStringLiteral("Errors while saving this file."));
}

int DMSpell::SelectedRecord() const
{
    const std::optional<int> record = SelectedDatum(m_pSpellList);
    if (!record || *record < 0 || *record >= SpellCount())
        return -1;
    return *record;
}

void DMSpell::FillClassCombo()
{
    FillFromTable(m_pClassCombo, SpellClassTable);
    SelectStartingWith(m_pClassCombo, kAllRows);
}

void DMSpell::FillSkillCombo()
{
    DMSkills skills;
    const int skillCount = skills.GetMaxSkill();
    m_pSkillCombo->clear();
    AddSorted(m_pSkillCombo, kAllRows, skillCount);
    for (int skill : SkillsInUse(m_spells, skillCount)) {
        const std::string_view name = SkillName(skills.GetSkill(skill));
        AddSorted(m_pSkillCombo, QString::fromLatin1(name.data(), qsizetype(name.size())), skill);
    }
    SelectStartingWith(m_pSkillCombo, kAllRows);
}

void DMSpell::FillEffectCombo()
{
    FillFromTable(m_pEffectCombo, SpellEffectTable);
    SelectStartingWith(m_pEffectCombo, kAllRows);
}
