#pragma once

#include "app/support/GuiFixture.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QPlainTextEdit>

#include <optional>
#include <stdexcept>

using tomelens::core::SpellRecord;

// A game directory with a few spells, and the program on it with the Spells
// tab current. Spells: Wizard (class 11) levels 3, 5, 5, 12 and 30, one for
// Cleric (class 1) only, one no class can use, and a blank slot.
struct SpellsTab : ProgramOnGame {
    static std::vector<SpellRecord> Records()
    {
        std::vector<SpellRecord> r = {MakeSpell("Ember", 11, 3, 24), MakeSpell("alpha", 11, 5, 14),
                                      MakeSpell("Beta", 11, 5, 14), SpellRecord(), MakeSpell("Gamma", 11, 12, 24),
                                      SpellRecord::MakeEmpty().SetName("Nothing").SetSkill(18),
                                      MakeSpell("Delta", 11, 30, 24), MakeSpell("Zeta", 1, 1, 200)};
        r[0].SetEffect(0, 0, -25).SetMana(17);
        r[2].SetClassLevel(1, 9);
        r[4].SetEffect(0, 12, 1);
        return r;  // Zeta's skill lies beyond the skill table
    }

    explicit SpellsTab(const std::vector<SpellRecord>& records = Records())
    {
        game.WriteSpells(records);
        OpenOnSpells();
    }
    // rawFile as spdat.eff, or no spell file at all.
    explicit SpellsTab(const std::optional<QByteArray>& rawFile)
    {
        if (rawFile)
            game.WriteBytes(QStringLiteral("spdat.eff"), *rawFile);
        OpenOnSpells();
    }
    void OpenOnSpells()
    {
        Start();
        program->SelectTab(1);
    }

    Program& P() { return *program; }
    QComboBox* Combo(int id) { return P().Find<QComboBox>(id); }
    QLineEdit* Edit(int id) { return P().Find<QLineEdit>(id); }
    QListWidget* List() { return P().Find<QListWidget>(1020); }
    QStringList Lines() { return Texts(List()); }
    QString Description() { return P().Find<QPlainTextEdit>(1022)->toPlainText(); }

    // A user's choice in a filter combo.
    void Choose(int comboId, const QString& text)
    {
        QComboBox* combo = Combo(comboId);
        const int index = combo->findText(text);
        if (index < 0)
            throw std::runtime_error("no such combo item");
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    // A user's new level range, taking effect when the edit is left.
    void Levels(const QString& from, const QString& to)
    {
        Edit(1016)->setText(from);
        Edit(1017)->setText(to);
        Leave(1017);
    }
    void Leave(int editId, Qt::FocusReason reason = Qt::TabFocusReason)
    {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(Edit(editId), &out);
    }
    // Selects the line with this text, as a click would.
    void Select(const QString& text)
    {
        const QList<QListWidgetItem*> found = List()->findItems(text, Qt::MatchExactly);
        if (found.size() != 1)
            throw std::runtime_error("no such spell line");
        List()->setCurrentItem(found.first());
    }
};
