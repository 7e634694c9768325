#pragma once

#include "app/support/GuiFixture.h"
#include "shell/CMainFrame.h"
#include "shell/CTomelensView.h"

#include <QCoreApplication>
#include <QFocusEvent>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <optional>

// A game directory with a few spells, and the program on it with the Spells
// tab current. Spells: Wizard (class 11) levels 3, 5, 5, 12 and 30, one for
// Cleric (class 1) only, one no class can use, and a blank slot.
struct SpellsTab {
    static std::vector<SpellRecord> Records()
    {
        std::vector<SpellRecord> r;
        r.push_back(MakeSpell("Ember", 11, 3, 24));
        r.back().SetEffect(0, 0, -25).SetMana(17);
        r.push_back(MakeSpell("alpha", 11, 5, 14));
        r.push_back(MakeSpell("Beta", 11, 5, 14));
        r.back().SetClassLevel(1, 9);
        r.push_back(SpellRecord());  // blank slot
        r.push_back(MakeSpell("Gamma", 11, 12, 24));
        r.back().SetEffect(0, 12, 1);
        r.push_back(SpellRecord::MakeEmpty());
        r.back().SetName("Nothing").SetSkill(18);
        r.push_back(MakeSpell("Delta", 11, 30, 24));
        r.push_back(MakeSpell("Zeta", 1, 1, 200));  // a skill beyond the table
        return r;
    }

    // writeSpells false: no spdat.eff at all.
    explicit SpellsTab(bool writeSpells = true, std::optional<QByteArray> rawFile = std::nullopt)
    {
        if (writeSpells)
            game.WriteSpells(Records());
        if (rawFile)
            game.WriteBytes(QStringLiteral("spdat.eff"), *rawFile);
        settings.StoreDMPath(game.Path());
        program.emplace();
        program->SelectTab(1);
    }

    Program& P() { return *program; }
    QComboBox* Combo(int id) { return P().Find<QComboBox>(id); }
    QLineEdit* Edit(int id) { return P().Find<QLineEdit>(id); }
    QListWidget* List() { return P().Find<QListWidget>(1020); }
    QPlainTextEdit* Description() { return P().Find<QPlainTextEdit>(1022); }

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
    QStringList Lines()
    {
        QStringList lines;
        for (int i = 0; i < List()->count(); ++i)
            lines.append(List()->item(i)->text());
        return lines;
    }
    static QStringList Items(const QComboBox* combo)
    {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        return items;
    }

    PrivateSettings settings;
    GameDir game;
    std::optional<Program> program;
};
