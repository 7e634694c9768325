#pragma once

#include <QByteArray>
#include <QString>

// What hovering an entry shows besides its size and checksum: a thumbnail of
// an image Qt can read, or the first lines of text; empty for anything else.
// Only entries up to kPreviewLimit bytes are decoded, so a hover stays quick.
inline constexpr unsigned kPreviewLimit = 4u * 1024 * 1024;
QString PreviewHtml(const QString& name, const QByteArray& data);
