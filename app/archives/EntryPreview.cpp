#include "archives/EntryPreview.h"

#include "archives/DMArchive.h"
#include "archives/EntryNames.h"
#include "archives/HoverPreview.h"
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

// Bytes for an image reader that stop flowing once the preview is no longer
// wanted, so the decoder gives up instead of finishing a stale image.
class CancellableBuffer : public QBuffer {
public:
    explicit CancellableBuffer(const std::function<bool()>& cancelled) : m_cancelled(cancelled) {}

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_cancelled && m_cancelled())
            return -1;
        return QBuffer::readData(data, maxSize);
    }

private:
    const std::function<bool()>& m_cancelled;
};

bool IsOneBitImage(QImage::Format format)
{
    return format == QImage::Format_Mono || format == QImage::Format_MonoLSB;
}

}  // namespace

QString ThumbnailHtml(const QByteArray& data, const std::function<bool()>& cancelled)
{
    CancellableBuffer buffer(cancelled);
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return {};
    // The header tells the size; an image that is not small enough to decode
    // at once is described instead, and one that does not tell is left alone.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    if (qint64(size.width()) * size.height() > kPreviewPixelBudget)
        return QStringLiteral("<br>%1 x %2 pixels, too big to preview").arg(size.width()).arg(size.height());
    // Scaled while decoding where the format allows it. Images of one bit per
    // pixel are decoded whole: scaled decoding drops their palette and
    // samples their packed bits as black-and-white noise.
    if ((size.width() > kThumbnailSide || size.height() > kThumbnailSide) && !IsOneBitImage(reader.imageFormat()))
        reader.setScaledSize(size.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull() || (cancelled && cancelled()))
        return {};
    if (image.width() > kThumbnailSide || image.height() > kThumbnailSide)
        image = image.convertToFormat(QImage::Format_ARGB32)
                    .scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    image.save(&out, "PNG");
    return QStringLiteral("<br><img src=\"data:image/png;base64,%1\">").arg(QString::fromLatin1(png.toBase64()));
}

QString TextPreviewHtml(const QByteArray& data)
{
    const QByteArray probe = data.left(kTextProbe);
    if (probe.isEmpty() || probe.contains('\0'))
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

bool IsImagePreview(const QString& name, const QByteArray& data)
{
    if (data.isEmpty())
        return false;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    if (!QImageReader(&buffer).canRead())
        return false;
    // An image's name decides; otherwise only what does not read as text.
    const QByteArray suffix = QFileInfo(name).suffix().toLower().toLatin1();
    return QImageReader::supportedImageFormats().contains(suffix) || TextPreviewHtml(data).isEmpty();
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
    if (entry->GetLength() == 0 || entry->GetLength() > kPreviewLimit || !m_source.Check().Ok()) {
        m_pHoverPreview->Cancel();
        return tip;
    }
    QByteArray data(static_cast<qsizetype>(entry->GetLength()), Qt::Uninitialized);
    if (entry->GetData(data.data()) != 0)
        return tip;
    if (!IsImagePreview(name, data)) {
        m_pHoverPreview->Cancel();
        return tip + TextPreviewHtml(data);
    }
    // Images are decoded off this thread; the tip is shown again when ready.
    return tip + m_pHoverPreview->Thumbnail(position, data).value_or(QString());
}
