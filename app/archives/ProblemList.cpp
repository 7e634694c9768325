#include "archives/ProblemList.h"

namespace {

constexpr qsizetype kShown = 10;

}  // namespace

QString ProblemList(QStringList lines)
{
    const qsizetype count = lines.size();
    if (count > kShown) {
        lines.resize(kShown);
        lines.append(QStringLiteral("and %1 more").arg(count - kShown));
    }
    return lines.join(QLatin1Char('\n'));
}

QString ProblemList(const std::vector<tomelens::core::Outcome>& outcomes)
{
    QStringList lines;
    for (const tomelens::core::Outcome& outcome : outcomes)
        lines.append(QString::fromStdString(outcome.Message()));
    return ProblemList(lines);
}
