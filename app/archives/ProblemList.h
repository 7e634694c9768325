#pragma once

#include "engine/Outcome.h"

#include <QString>
#include <QStringList>

#include <vector>

// Many failures or findings shown in one message: one per line, the first
// few of many and then how many more there are.
QString ProblemList(QStringList lines);
QString ProblemList(const std::vector<tomelens::core::Outcome>& outcomes);
