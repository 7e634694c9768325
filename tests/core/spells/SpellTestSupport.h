#pragma once

// Shared by the spell core tests: one record that exercises every rule of the description.

#include "spells/SpellRecord.h"
#include "support/TestFiles.h"

using testsupport::TempDir;

// Four messages, both duration forms, each kind of effect label and value,
// classes set out of number order, both component kinds.
inline tomelens::core::SpellRecord FireStorm()
{
    auto r = tomelens::core::SpellRecord::MakeEmpty();
    r.SetName("Fire Storm").SetMana(125).SetSkill(10);
    r.SetCastingMessage("Your hands glow.").SetOthersCastingMessage("Somebody's hands glow.");
    r.SetCastOnOtherMessage("X is burned.").SetFadesMessage("The fire fades.");
    r.SetCastTime(2500).SetRecoverTime(61500);
    r.SetEffect(0, 0, -25).SetEffect(1, 254, 0, 7).SetEffect(2, 16, 5).SetEffect(3, 127, -32768, 40000);
    r.SetClassLevel(0, 1).SetClassLevel(6, 21).SetClassLevel(5, 20).SetClassLevel(13, 60);
    r.SetComponent(0, 13080, 1).SetComponent(2, 100, 3).SetComponentCount(1, 6);
    r.SetKeptComponent(0, 13080).SetKeptComponent(1, 500);
    return r;
}
