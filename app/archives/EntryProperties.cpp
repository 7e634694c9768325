// Facts about one entry: its computed checksum and its Properties.
#include "archives/EntryProperties.h"

#include "archives/DMArchive.h"
#include "archives/EntryListPanel.h"
#include "archives/EntryNames.h"
#include "archives/EntryTableModel.h"
#include "archive/CheckSum.h"
#include "archive/DMDataFile.h"
#include "common/Prompts.h"

#include <QByteArray>

std::optional<std::uint32_t> ComputedCheckSum(const DMDataFileEntry& entry)
{
    QByteArray data(static_cast<qsizetype>(entry.GetLength()), Qt::Uninitialized);
    if (entry.GetData(data.data()) != 0)
        return std::nullopt;
    return CheckSum(data.constData(), entry.GetLength(), 0);
}

QList<QPair<QString, QString>> EntryPropertyLines(const DMDataFileEntry& entry, int position)
{
    const unsigned stored = entry.GetCheckSum();
    const std::optional<std::uint32_t> computed = ComputedCheckSum(entry);
    QString computedText = computed ? EntryTableModel::CheckSumText(*computed) : QStringLiteral("data unreadable");
    if (!computed || *computed != stored)
        computedText += QStringLiteral("  (differs from the stored one)");
    return {
        {QStringLiteral("Name"), EntryDisplayName(entry.GetName())},
        {QStringLiteral("Size"), QStringLiteral("%1 bytes").arg(entry.GetLength())},
        {QStringLiteral("Packed size"), QStringLiteral("%1 bytes").arg(entry.GetPackedLength())},
        {QStringLiteral("Ratio"), EntryTableModel::RatioText(entry.GetLength(), entry.GetPackedLength())},
        {QStringLiteral("Checksum (stored)"), EntryTableModel::CheckSumText(stored)},
        {QStringLiteral("Checksum (computed)"), computedText},
        {QStringLiteral("Position"), QString::number(position)},
    };
}

void DMArchive::ShowProperties()
{
    unsigned position = 0;
    const DMDataFileEntry* entry = EntryForCommand("show", &position);
    if (!entry)
        return;
    m_prompts.Properties(QStringLiteral("Properties of %1").arg(EntryDisplayName(entry->GetName())),
                         EntryPropertyLines(*entry, static_cast<int>(position)));
}
