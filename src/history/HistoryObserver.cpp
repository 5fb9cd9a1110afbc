#include "history/HistoryObserver.h"

namespace brennic {

HistoryObserver::HistoryObserver(std::string path, int minuteRetentionDays, MessageHook report)
    : writer_(std::move(path), minuteRetentionDays, std::move(report)) {
    writer_.Start();
}

void HistoryObserver::OnSample(const std::shared_ptr<const StationSnapshot>& snapshot) {
    HistorySample s;
    s.time = snapshot->current.time;
    s.value = snapshot->current.value;
    s.collectorBtuTotal = snapshot->collectorHeat.total;
    s.haBtuTotal = snapshot->haHeat.total;
    s.sampleCount = snapshot->sampleCount;
    writer_.Enqueue(s);
}

}  // namespace brennic
