#pragma once

#include "common/DMTabView.h"
#include "spells/SpellRecord.h"

#include <QString>

#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class Prompts;

// Controller of the Spells tab: holds the records of spdat.eff, fills the
// class, skill and effect filters, lists the spells that pass them, describes
// the selected one and exports descriptions. The work itself is done by the
// toolkit-free spell core; this class moves values between it and the controls.
class DMSpell : public DMTabView {
public:
    DMSpell(QComboBox* classCombo, QLineEdit* levelFromEdit, QLineEdit* levelToEdit,
            QComboBox* skillCombo, QComboBox* effectCombo, QListWidget* spellList,
            QPlainTextEdit* description, Prompts& prompts);

    // First activation: reads the spell file, fills the filters, lists the spells.
    QString Activate() override;
    // Reruns the query with the current filters (every filter change).
    QString GetSpells();
    // Describes the selected spell.
    QString ShowSpell();
    // Export of the selected spell, or of every listed spell in list order.
    void SaveSpell();
    void SaveAllSpells();

    // Reads spdat.eff unless the records are already held; on failure shows
    // the message, puts the tip text into tip and returns false.
    bool LoadSpellFile(QString& tip);

    // The level edits hold text the last query did not write there: the user
    // typed a level that no query has used yet.
    bool LevelsTyped() const;

    bool HoldsRecords() const { return m_bRecordsHeld; }
    int SpellCount() const { return static_cast<int>(m_spells.size()); }

private:
    void FillClassCombo();
    void FillSkillCombo();
    void FillEffectCombo();
    // Record number of the selected line of the spell list, or -1.
    int SelectedRecord() const;
    void SaveExport(const QString& proposedName, const std::vector<int>& records, bool allSpells);

    std::vector<tomelens::core::SpellRecord> m_spells;
    bool m_bRecordsHeld = false;  // an empty file holds no records but counts as read
    // What the last query wrote into the level edits.
    QString m_queriedFrom;
    QString m_queriedTo;

    QComboBox* m_pClassCombo;
    QComboBox* m_pSkillCombo;
    QComboBox* m_pEffectCombo;
    QLineEdit* m_pLevelFromEdit;
    QLineEdit* m_pLevelToEdit;
    QListWidget* m_pSpellList;
    QPlainTextEdit* m_pDescription;
    Prompts& m_prompts;
};
