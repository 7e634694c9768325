#include "archives/HoverPreview.h"

#include "archives/EntryPreview.h"

#include <QCryptographicHash>

#include <algorithm>

HoverPreview::HoverPreview() : m_generation(std::make_shared<std::atomic<quint64>>(0))
{
    // One decode at a time: a newer one waits only for the older to notice it is stale.
    m_pool.setMaxThreadCount(1);
}

HoverPreview::~HoverPreview()
{
    Cancel();
    m_pool.waitForDone();
}

void HoverPreview::Cancel()
{
    ++*m_generation;
    m_pendingKey.clear();
}

std::optional<QString> HoverPreview::Thumbnail(int position, const QByteArray& data)
{
    const Key key = QCryptographicHash::hash(data, QCryptographicHash::Md5);
    const auto cached = std::find_if(m_cache.begin(), m_cache.end(), [&](const auto& item) { return item.first == key; });
    if (cached != m_cache.end())
        return cached->second;
    if (key == m_pendingKey)
        return std::nullopt;

    Cancel();
    m_pendingKey = key;
    const quint64 generation = *m_generation;
    const std::shared_ptr<std::atomic<quint64>> current = m_generation;
    m_pool.start([this, current, generation, key, data, position] {
        const std::function<bool()> cancelled = [&] { return current->load() != generation; };
        if (cancelled())
            return;
        const QString html = ThumbnailHtml(data, cancelled);
        if (cancelled())
            return;
        // Back on the GUI thread; dropped if this object is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, current, generation, key, html, position] {
                if (current->load() != generation)
                    return;
                m_pendingKey.clear();
                Store(key, html);
                emit ready(position);
            },
            Qt::QueuedConnection);
    });
    return std::nullopt;
}

void HoverPreview::Store(const Key& key, const QString& html)
{
    if (m_cache.size() >= static_cast<size_t>(kCacheSize))
        m_cache.erase(m_cache.begin());
    m_cache.emplace_back(key, html);
}
