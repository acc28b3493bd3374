#pragma once

#include "dialling/SerialPort.h"

#include <QStringList>

// A modem line under the test's hand: records what was written and opened, and delivers
// replies as one event each.
class TScriptedPort : public ISerialPort
{
public:
    TPortFailure Failure = TPortFailure::None;
    QStringList Opened;
    QByteArray Written;
    bool IsOpen = false;
    int Closes = 0;

    TPortFailure Open(const QString &device) override
    {
        Opened.append(device);
        IsOpen = Failure == TPortFailure::None;
        return Failure;
    }
    void Close() override
    {
        if (IsOpen)
            ++Closes;
        IsOpen = false;
    }
    void Write(QByteArrayView bytes) override
    {
        // Written to a closed port would be lost on a real line: make it show.
        Written += IsOpen ? bytes.toByteArray() : QByteArray("<closed>");
    }
    QByteArray ReadAll() override { return std::exchange(m_pending, {}); }

    void Reply(const QByteArray &bytes)
    {
        m_pending += bytes;
        emit ReadyRead();
    }
    void Vanish()
    {
        IsOpen = false;
        emit Lost();
    }

private:
    QByteArray m_pending;
};

class TManualTicker : public ITicker
{
public:
    bool Running = false;
    void Start() override { Running = true; }
    void Stop() override { Running = false; }
    // While started, as a real timer would.
    void Advance(int seconds)
    {
        for (int i = 0; i < seconds && Running; ++i)
            emit Tick();
    }
};
