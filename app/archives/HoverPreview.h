#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Thumbnails for the entry list's hover, decoded on a worker thread so the
// window keeps repainting whatever the image. Only the newest request is
// worked on: a newer hover cancels the decode in progress. The last few
// results are kept, so hovering back over an entry shows it at once.
class HoverPreview : public QObject {
    Q_OBJECT
public:
    static constexpr int kCacheSize = 8;

    HoverPreview();
    ~HoverPreview() override;

    // The thumbnail of these bytes when it is known already; otherwise starts
    // decoding it (unless it is the one being decoded) and gives nothing.
    // position is handed back with ready().
    std::optional<QString> Thumbnail(int position, const QByteArray& data);
    // Forgets the request in progress: its result will not be reported.
    void Cancel();
    // Waits until no decode runs (tests).
    void WaitForIdle() { m_pool.waitForDone(); }

signals:
    // The thumbnail asked for at this position is now known.
    void ready(int position);

private:
    using Key = QByteArray;  // a digest of the bytes
    void Store(const Key& key, const QString& html);

    QThreadPool m_pool;
    // Raised by every new request; a decode of an older one gives up.
    std::shared_ptr<std::atomic<quint64>> m_generation;
    Key m_pendingKey;
    std::vector<std::pair<Key, QString>> m_cache;  // most recent last
};
