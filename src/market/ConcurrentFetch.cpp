#include "CurlTransfer.h"
#include "QuoteClient.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace yanlan {

namespace {

// One easy handle and what it collects; reused for the next code when a transfer ends.
struct Slot
{
    CURL *curl = curl_easy_init();
    detail::CurlTransfer transfer;
    qsizetype index = -1;

    Slot() = default;
    Slot(const Slot &) = delete;
    Slot &operator=(const Slot &) = delete;
    ~Slot()
    {
        if (curl)
            curl_easy_cleanup(curl);
    }
};

FetchResult failure(const QString &error)
{
    FetchResult result;
    result.error = error;
    return result;
}

} // namespace

QVector<FetchResult> fetchQuotesConcurrently(const QuoteSettings &settings,
                                             const QStringList &prefixedCodes)
{
    QVector<FetchResult> results(prefixedCodes.size());
    if (prefixedCodes.isEmpty())
        return results;
    detail::initCurlOnce();

    CURLM *multi = curl_multi_init();
    if (!multi) {
        std::fill(results.begin(), results.end(),
                  failure(QStringLiteral("cannot start HTTP transfers")));
        return results;
    }

    const qsizetype slotCount =
        std::min<qsizetype>(std::max(1, settings.maxConcurrent), prefixedCodes.size());
    std::vector<std::unique_ptr<Slot>> transferSlots;
    std::vector<Slot *> idle;
    for (qsizetype i = 0; i < slotCount; ++i) {
        transferSlots.push_back(std::make_unique<Slot>());
        idle.push_back(transferSlots.back().get());
    }

    qsizetype next = 0;
    int active = 0;
    auto startIdle = [&] {
        while (!idle.empty() && next < prefixedCodes.size()) {
            Slot *slot = idle.back();
            slot->index = next++;
            if (!slot->curl) {
                results[slot->index] = failure(QStringLiteral("cannot start an HTTP transfer"));
                continue;
            }
            slot->transfer.prepare(slot->curl, settings, prefixedCodes.at(slot->index));
            curl_easy_setopt(slot->curl, CURLOPT_PRIVATE, static_cast<void *>(slot));
            const CURLMcode added = curl_multi_add_handle(multi, slot->curl);
            if (added != CURLM_OK) {
                results[slot->index] = failure(QString::fromUtf8(curl_multi_strerror(added)));
                continue;
            }
            idle.pop_back();
            ++active;
        }
    };

    startIdle();
    while (active > 0) {
        int running = 0;
        const CURLMcode performed = curl_multi_perform(multi, &running);
        if (performed != CURLM_OK) {
            // the multi handle is unusable: every unfinished code fails with its message
            const QString error = QString::fromUtf8(curl_multi_strerror(performed));
            for (const auto &slot : transferSlots) {
                if (std::find(idle.begin(), idle.end(), slot.get()) == idle.end()) {
                    curl_multi_remove_handle(multi, slot->curl);
                    results[slot->index] = failure(error);
                }
            }
            for (; next < prefixedCodes.size(); ++next)
                results[next] = failure(error);
            active = 0;
            break;
        }

        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            char *slotAddress = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &slotAddress);
            Slot *slot = reinterpret_cast<Slot *>(slotAddress);
            const CURLcode code = message->data.result;
            results[slot->index] = slot->transfer.finish(slot->curl, code);
            curl_multi_remove_handle(multi, slot->curl);
            idle.push_back(slot);
            --active;
        }
        startIdle();

        if (active > 0)
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }

    curl_multi_cleanup(multi);
    return results;
}

} // namespace yanlan
