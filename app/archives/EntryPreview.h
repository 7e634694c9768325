#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// What hovering an entry shows besides its size and checksum: a thumbnail of
// an image Qt can read, or the first lines of text; empty for anything else.
// Only entries up to kPreviewLimit bytes are looked at, and only images up to
// kPreviewPixelBudget pixels are decoded (the size is read from the header
// first), so no entry makes a preview slow or huge.
inline constexpr unsigned kPreviewLimit = 4u * 1024 * 1024;
inline constexpr qint64 kPreviewPixelBudget = 40'000'000;

// The first lines of a text entry; empty when the data is not text.
QString TextPreviewHtml(const QByteArray& data);
// Whether the hover shows this entry as an image (to be decoded off the GUI
// thread with ThumbnailHtml) rather than as text. Reads headers only.
bool IsImagePreview(const QString& name, const QByteArray& data);
// A thumbnail of the image, or a line giving its size when it is over the
// pixel budget; empty when it cannot be read. Decoding stops early, giving an
// empty text, once cancelled() turns true. Safe to call on any thread.
QString ThumbnailHtml(const QByteArray& data, const std::function<bool()>& cancelled = {});
