#pragma once

#include "dialling/SerialPort.h"

#include <QTimer>

// The countdown's real second.
class TSecondTicker : public ITicker
{
    Q_OBJECT

public:
    explicit TSecondTicker(QObject *parent = nullptr) : ITicker(parent)
    {
        m_timer.setInterval(1000);
        connect(&m_timer, &QTimer::timeout, this, &ITicker::Tick);
    }
    void Start() override { m_timer.start(); }
    void Stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};
