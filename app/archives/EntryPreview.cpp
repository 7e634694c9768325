#include "archives/EntryPreview.h"

#include "archives/DMArchive.h"
#include "archives/EntryNames.h"
#include "archives/EntryTableModel.h"
#include "archive/DMDataFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>

namespace {

constexpr int kThumbnailSide = 160;
constexpr int kTextLines = 8;
constexpr int kTextColumns = 80;
constexpr qsizetype kTextProbe = 4096;

QString ThumbnailHtml(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return {};
    // Scaled while decoding where the format allows it, so a big image costs little.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kThumbnailSide || size.height() > kThumbnailSide))
        reader.setScaledSize(size.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > kThumbnailSide || image.height() > kThumbnailSide)
        image = image.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    image.save(&out, "PNG");
    return QStringLiteral("<br><img src=\"data:image/png;base64,%1\">").arg(QString::fromLatin1(png.toBase64()));
}

QString TextHtml(const QByteArray& data)
{
    const QByteArray probe = data.left(kTextProbe);
    if (probe.contains('\0'))
        return {};
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(probe);
    // A cut in the middle of a character is not an error of the text itself.
    if (utf8.hasError() && probe.size() == data.size())
        text = QString::fromLatin1(probe);
    int controls = 0;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\r') && c != QLatin1Char('\t'))
            ++controls;
    }
    if (controls * 20 > text.size())
        return {};
    QStringList lines = text.split(QLatin1Char('\n')).mid(0, kTextLines);
    for (QString& line : lines) {
        line.remove(QLatin1Char('\r'));
        if (line.size() > kTextColumns)
            line = line.left(kTextColumns) + QStringLiteral("...");
        line = line.toHtmlEscaped();
    }
    return QStringLiteral("<pre>%1</pre>").arg(lines.join(QLatin1Char('\n')));
}

}  // namespace

QString PreviewHtml(const QString& name, const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    const QByteArray suffix = QFileInfo(name).suffix().toLower().toLatin1();
    if (QImageReader::supportedImageFormats().contains(suffix)) {
        const QString thumbnail = ThumbnailHtml(data);
        if (!thumbnail.isEmpty())
            return thumbnail;
    }
    const QString text = TextHtml(data);
    return text.isEmpty() ? ThumbnailHtml(data) : text;
}

QString DMArchive::EntryToolTip(int position)
{
    const DMDataFileEntry* entry = m_bArchiveOpen && !m_bBusy ? m_pDataFile->GetEntry(static_cast<unsigned>(position)) : nullptr;
    if (!entry)
        return {};
    const QString name = EntryDisplayName(entry->GetName());
    QString tip = QStringLiteral("<b>%1</b><br>%2 bytes, checksum %3")
                      .arg(name.toHtmlEscaped())
                      .arg(entry->GetLength())
                      .arg(EntryTableModel::CheckSumText(entry->GetCheckSum()));
    // No glimpse when the archive's file was rewritten under the open archive.
    if (entry->GetLength() > 0 && entry->GetLength() <= kPreviewLimit && m_source.Check().Ok()) {
        QByteArray data(static_cast<qsizetype>(entry->GetLength()), Qt::Uninitialized);
        if (entry->GetData(data.data()) == 0)
            tip += PreviewHtml(name, data);
    }
    return tip;
}
