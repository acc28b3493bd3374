#pragma once

#include <QElapsedTimer>

#include <functional>
#include <utility>

// Passes progress on at a person's pace: the first report, then at most one per interval,
// and always the last. Long work calls it per chunk or entry; the window repaints a few
// times a second, never per entry.
class TProgressPace
{
public:
    using TReport = std::function<void(qint64 done, qint64 total)>;

    explicit TProgressPace(TReport report, qint64 intervalMs = 100)
        : m_report(std::move(report)), m_interval(intervalMs)
    {
    }

    void operator()(qint64 done, qint64 total)
    {
        const bool last = done >= total;
        if (!last && m_clock.isValid() && m_clock.elapsed() < m_interval)
            return;
        m_clock.start();
        m_report(done, total);
    }

private:
    TReport m_report;
    qint64 m_interval;
    QElapsedTimer m_clock;
};
